#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/launch.h"
#include "app/registry_keys.h"
#include "base/folders.h"
#include "tests/support/wine_probe.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <tuple>

namespace {

// REG_NONE leaves the value out; texts are stored with their NUL.
bool Register(DWORD locationType, const std::string& location, DWORD uninstallType,
              const std::string& uninstall)
{
    SHDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
    return (!locationType ||
            WriteRegistryValue(kUninstallKey, "InstallLocation", locationType, location + '\0')) &&
           (!uninstallType ||
            WriteRegistryValue(kUninstallKey, "UninstallString", uninstallType, uninstall + '\0'));
}

// A folder of the test holding the stand-in as Quorvalent.exe.
std::string InstalledCopy(const std::string& name)
{
    std::string folder = WindowsPath(TestRoot()) + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA(StandinExe().c_str(), (folder + "\\Quorvalent.exe").c_str(), FALSE);
    return folder;
}

}  // namespace

TEST(ExistingInstallation, IsFoundOnlyWhenItsValuesFitAndItsFilesExistAndEachChoiceStartsWhatItNames)
{
    // Stored with its NUL or without: 259 characters fit, 260 do not.
    for (const auto& [stored, fits] : {std::make_pair(std::string(259, 'a') + '\0', true),
                                       {std::string(260, 'b') + '\0', false},
                                       {std::string(259, 'c'), true},
                                       {std::string(260, 'd'), false},
                                       {std::string(1, '\0'), true}}) {
        ASSERT_TRUE(WriteRegistryValue(kUninstallKey, "UninstallString", REG_SZ, stored));
        char buffer[kUninstallValueSize + 8];
        memset(buffer, 'Z', sizeof buffer);
        bool read = InstallerApp().ReadUninstallValue("UninstallString", buffer);
        EXPECT_EQ(std::string(read ? "read " : "refused ") + buffer + buffer[kUninstallValueSize],
                  std::string(fits ? "read " : "refused ") + (fits ? stored.c_str() : "") + 'Z')
            << stored.size();
    }
    const std::string folder = InstalledCopy("Installed Here"),
                      quoted = "\"" + folder + "\\Quorvalent.exe\" /uninstall";
    const std::tuple<const char*, DWORD, std::string, DWORD, std::string, bool> cases[] = {
        {"nothing registered", REG_NONE, "", REG_NONE, "", false},
        {"complete, quoted", REG_SZ, folder, REG_SZ, quoted, true},
        {"complete, unquoted", REG_SZ, "C:\\windows", REG_SZ, "C:\\windows\\notepad.exe /uninstall", true},
        {"uninstall names a folder", REG_SZ, folder, REG_SZ, "\"" + folder + "\" /uninstall", true},
        {"location deleted", REG_SZ, folder + "\\gone", REG_SZ, quoted, false},
        {"no uninstall string", REG_SZ, folder, REG_NONE, "", false},
        {"program deleted", REG_SZ, folder, REG_SZ, "\"" + folder + "\\gone.exe\" /uninstall", false},
        {"location of another type", REG_EXPAND_SZ, folder, REG_SZ, quoted, false},
        {"uninstall of another type", REG_SZ, folder, REG_EXPAND_SZ, quoted, false},
        {"location too long", REG_SZ, folder + std::string(300, '\\'), REG_SZ, quoted, false},
        {"empty location", REG_SZ, "", REG_SZ, quoted, false},
    };
    for (const auto& [label, locationType, location, uninstallType, uninstall, found] : cases) {
        ASSERT_TRUE(Register(locationType, location, uninstallType, uninstall)) << label;
        InstallerApp app;
        app.m_bOem = 1;  // asks nothing, and without /silent writes no shortcut
        EXPECT_EQ(app.CheckExistingInstallation(), found) << label;
    }
    EXPECT_FALSE(FileExists((SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvalent.lnk").c_str()));
    // Each choice starts what it names in the program's folder.
    WithoutSanitizerPreload plainWindowsPrograms;
    SetCurrentDirectoryA("C:\\windows");  // so that an inherited working folder would show
    const std::tuple<const char*, int, bool, const char*> choices[] = {
        {"launch", kInstalledLaunch, false, "started"},
        {"launch with blank", kInstalledLaunch, false, "started"},
        {"remove quoted", kInstalledRemove, true, "started /uninstall"},
        {"remove_bare", kInstalledRemove, false, "started /uninstall"},
        {"cancel", kInstalledCancel, false, ""},
    };
    for (const auto& [name, choice, quoted, started] : choices) {
        const std::string folder = InstalledCopy(name), program = folder + "\\Quorvalent.exe";
        // Registered elsewhere, so that the removal leaves this folder and its record.
        ASSERT_TRUE(Register(REG_SZ, "C:\\elsewhere", REG_SZ,
                             (quoted ? "\"" + program + "\"" : program) + " /uninstall"));
        InstallerApp().ActOnInstalledChoice(choice, program.c_str());
        EXPECT_EQ(RecordedStarts(folder, *started ? 1 : 0), started) << name;
    }
    EXPECT_FALSE(LaunchProgram("C:\\nowhere\\Quorvalent.exe") ||
                 LaunchProgram(std::string(2000, 'x').c_str()));
}
