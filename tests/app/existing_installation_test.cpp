#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/launch.h"
#include "app/registry_keys.h"
#include "base/folders.h"
#include "tests/support/test_env.h"
#include "tests/support/wine_probe.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

namespace {

// A REG_SZ as stored, NUL included; REG_NONE: the value is absent.
struct Value {
    DWORD type;
    std::string text;
};

bool Register(const Value& location, const Value& uninstall)
{
    SHDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
    return (location.type == REG_NONE ||
            WriteRegistryValue(kUninstallKey, "InstallLocation", location.type, location.text + '\0')) &&
           (uninstall.type == REG_NONE ||
            WriteRegistryValue(kUninstallKey, "UninstallString", uninstall.type, uninstall.text + '\0'));
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
        const char* label;
        std::string stored;
        bool read;
    } cases[] = {
        {"259 characters fit", std::string(259, 'a') + '\0', true},
        {"260 characters do not", std::string(260, 'b') + '\0', false},
        {"259 without a NUL are terminated", std::string(259, 'c'), true},
        {"260 without a NUL do not fit", std::string(260, 'd'), false},
        {"empty", std::string(1, '\0'), true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteRegistryValue(kUninstallKey, "UninstallString", REG_SZ, c.stored)) << c.label;
        char buffer[kUninstallValueSize + 8];
        std::memset(buffer, 'Z', sizeof buffer);
        InstallerApp app;
        EXPECT_EQ(app.ReadUninstallValue("UninstallString", buffer), c.read) << c.label;
        EXPECT_EQ(std::string(buffer), c.read ? c.stored.c_str() : "") << c.label;
        EXPECT_EQ(buffer[kUninstallValueSize], 'Z') << c.label;
    }
}

TEST(CheckExistingInstallation, FindsOnlyARegistrationWhoseFilesExist)
{
    const std::string folder = InstalledCopy("Installed Here");
    const std::string quoted = "\"" + folder + "\\Quorvalent.exe\" /uninstall";
    const struct {
        const char* label;
        Value location;
        Value uninstall;
        bool found;
    } cases[] = {
        {"nothing registered", {REG_NONE, ""}, {REG_NONE, ""}, false},
        {"complete, quoted", {REG_SZ, folder}, {REG_SZ, quoted}, true},
        {"complete, unquoted",
         {REG_SZ, "C:\\windows"},
         {REG_SZ, "C:\\windows\\notepad.exe /uninstall"},
         true},
        {"uninstall names a folder", {REG_SZ, folder}, {REG_SZ, "\"" + folder + "\" /uninstall"}, true},
        {"location deleted", {REG_SZ, folder + "\\gone"}, {REG_SZ, quoted}, false},
        {"no uninstall string", {REG_SZ, folder}, {REG_NONE, ""}, false},
        {"program deleted", {REG_SZ, folder}, {REG_SZ, "\"" + folder + "\\gone.exe\" /uninstall"}, false},
        {"location of another type", {REG_EXPAND_SZ, folder}, {REG_SZ, quoted}, false},
        {"uninstall of another type", {REG_SZ, folder}, {REG_EXPAND_SZ, quoted}, false},
        {"location too long", {REG_SZ, folder + std::string(300, '\\')}, {REG_SZ, quoted}, false},
        {"empty location", {REG_SZ, ""}, {REG_SZ, quoted}, false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Register(c.location, c.uninstall)) << c.label;
        InstallerApp app;
        app.m_bOem = 1;  // asks nothing
        EXPECT_EQ(app.CheckExistingInstallation(), c.found) << c.label;
    }
    // None of these runs was silent, so no shortcut was made.
    EXPECT_FALSE(FileExists((SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvalent.lnk").c_str()));
}

TEST(ActOnInstalledChoice, EachChoiceStartsWhatItNamesInTheProgramsFolder)
{
    WithoutSanitizerPreload plainWindowsPrograms;
    const struct {
        const char* folderName;
        int choice;
        bool quoted;
        const char* arguments;  // null: nothing may start
    } cases[] = {
        {"launch", kInstalledLaunch, false, ""},
        {"launch with blank", kInstalledLaunch, false, ""},
        {"remove quoted", kInstalledRemove, true, "/uninstall"},
        {"remove_unquoted", kInstalledRemove, false, "/uninstall"},
        {"cancel", kInstalledCancel, false, nullptr},
    };
    // Started elsewhere, so that an inherited working folder would show.
    SetCurrentDirectoryA("C:\\windows");
    for (const auto& c : cases) {
        const std::string folder = InstalledCopy(c.folderName);
        const std::string program = folder + "\\Quorvalent.exe";
        // The registration names another folder, so that the removal leaves
        // this one and its record in place.
        ASSERT_TRUE(Register({REG_SZ, "C:\\elsewhere"},
                             {REG_SZ, (c.quoted ? "\"" + program + "\"" : program) + " /uninstall"}));
        InstallerApp app;
        app.ActOnInstalledChoice(c.choice, program.c_str());
        std::vector<ProgramStart> starts = RecordedStarts(folder, c.arguments ? 1 : 0);
        ASSERT_EQ(starts.size(), c.arguments ? 1u : 0u) << c.folderName;
        if (c.arguments) {
            EXPECT_EQ(starts[0].folder, folder) << c.folderName;
            EXPECT_EQ(starts[0].arguments, c.arguments) << c.folderName;
        }
    }
    EXPECT_FALSE(LaunchProgram("C:\\nowhere\\Quorvalent.exe"));
    EXPECT_FALSE(LaunchProgram(std::string(2000, 'x').c_str()));
}
