#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/launch.h"
#include "app/registry_keys.h"
#include "base/folders.h"
#include "tests/support/test_env.h"
#include "tests/support/wine_probe.h"

#include <shlobj.h>
#include <shlwapi.h>

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

TEST(ReadUninstallValue, KeepsEveryValueInsideItsBuffer)
{
    const struct {
        std::string stored;
        bool fits;
    } cases[] = {{std::string(259, 'a') + '\0', true},
                 {std::string(260, 'b') + '\0', false},
                 {std::string(259, 'c'), true},  // without its NUL: terminated here
                 {std::string(260, 'd'), false},
                 {std::string(1, '\0'), true}};
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteRegistryValue(kUninstallKey, "UninstallString", REG_SZ, c.stored));
        char buffer[kUninstallValueSize + 8];
        memset(buffer, 'Z', sizeof buffer);
        bool read = InstallerApp().ReadUninstallValue("UninstallString", buffer);
        EXPECT_EQ(std::string(read ? "read " : "refused ") + buffer + buffer[kUninstallValueSize],
                  std::string(c.fits ? "read " : "refused ") + (c.fits ? c.stored.c_str() : "") + 'Z')
            << c.stored.size();
    }
}

TEST(CheckExistingInstallation, FindsOnlyARegistrationWhoseFilesExist)
{
    const std::string folder = InstalledCopy("Installed Here");
    const std::string quoted = "\"" + folder + "\\Quorvalent.exe\" /uninstall";
    const struct {
        const char* label;
        DWORD locationType;
        std::string location;
        DWORD uninstallType;
        std::string uninstall;
        bool found;
    } cases[] = {
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
    for (const auto& c : cases) {
        ASSERT_TRUE(Register(c.locationType, c.location, c.uninstallType, c.uninstall)) << c.label;
        InstallerApp app;
        app.m_bOem = 1;  // asks nothing, and without /silent writes no shortcut
        EXPECT_EQ(app.CheckExistingInstallation(), c.found) << c.label;
    }
    EXPECT_FALSE(FileExists((SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvalent.lnk").c_str()));
}

TEST(ActOnInstalledChoice, EachChoiceStartsWhatItNamesInTheProgramsFolder)
{
    WithoutSanitizerPreload plainWindowsPrograms;
    const struct {
        const char* folderName;
        int choice;
        const char* uninstall;  // as registered, %s the program
        const char* started;
    } cases[] = {
        {"launch", kInstalledLaunch, "%s /uninstall", "started"},
        {"launch with blank", kInstalledLaunch, "%s /uninstall", "started"},
        {"remove quoted", kInstalledRemove, "\"%s\" /uninstall", "started /uninstall"},
        {"remove_bare", kInstalledRemove, "%s /uninstall", "started /uninstall"},
        {"cancel", kInstalledCancel, "%s /uninstall", ""},
    };
    // Started elsewhere, so that an inherited working folder would show.
    SetCurrentDirectoryA("C:\\windows");
    for (const auto& c : cases) {
        const std::string folder = InstalledCopy(c.folderName), program = folder + "\\Quorvalent.exe";
        char uninstall[MAX_PATH];
        snprintf(uninstall, sizeof uninstall, c.uninstall, program.c_str());
        // Registered elsewhere, so that the removal leaves this folder and its record.
        ASSERT_TRUE(Register(REG_SZ, "C:\\elsewhere", REG_SZ, uninstall));
        InstallerApp().ActOnInstalledChoice(c.choice, program.c_str());
        EXPECT_EQ(RecordedStarts(folder, c.started[0] ? 1 : 0), c.started) << c.folderName;
    }
    EXPECT_FALSE(LaunchProgram("C:\\nowhere\\Quorvalent.exe"));
    EXPECT_FALSE(LaunchProgram(std::string(2000, 'x').c_str()));
}
