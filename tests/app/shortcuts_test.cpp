#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/shortcuts.h"
#include "tests/app/installation_probe.h"

#include <objbase.h>

namespace {

const char* kTarget = "C:\\windows\\notepad.exe";

// COM for the test's thread, as start-up provides it for the installer's.
class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

// The four shortcut files, in the order the installer creates them.
std::vector<std::string> ShortcutFiles()
{
    return {probe::SpecialFolder(CSIDL_PROGRAMS) + "\\notepad.lnk",
            probe::SpecialFolder(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch\\notepad.lnk",
            probe::SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\notepad.lnk",
            probe::SpecialFolder(CSIDL_STARTUP) + "\\notepad.lnk"};
}

}  // namespace

TEST_F(ShortcutTest, FlagsChooseTheFoldersAndAMissingQuickLaunchFolderIsSkipped)
{
    const struct {
        bool quickLaunchFolder;
        uint8_t quickLaunch, desktop, startup;
        bool expected[4];  // Programs, Quick Launch, Desktop, Startup
    } cases[] = {
        // A fresh Wine prefix has no Quick Launch folder, and it is not ours to create.
        {false, 1, 1, 1, {true, false, true, true}},
        {true, 1, 0, 0, {true, true, false, false}},
        {true, 0, 1, 0, {true, false, true, false}},
        {true, 0, 0, 1, {true, false, false, true}},
    };
    for (const auto& c : cases) {
        if (c.quickLaunchFolder)
            probe::CreateQuickLaunchFolder();
        for (const std::string& file : ShortcutFiles())
            DeleteFileA(file.c_str());
        InstallerApp app;
        app.m_bQuickLaunchIcon = c.quickLaunch;
        app.m_bDesktopIcon = c.desktop;
        app.m_bStartWithWindows = c.startup;
        app.CreateShortcuts(kTarget);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(probe::FileExists(ShortcutFiles()[i]), c.expected[i])
                << ShortcutFiles()[i] << " flags " << int(c.quickLaunch) << int(c.desktop) << int(c.startup);
    }
}

TEST_F(ShortcutTest, RerunReplacesLinksAndOnlyStartupAutostarts)
{
    probe::CreateQuickLaunchFolder();
    InstallerApp app;
    ASSERT_TRUE(CopyFileA("C:\\windows\\regedit.exe", "C:\\windows\\temp\\notepad.exe", FALSE));
    app.CreateShortcuts("C:\\windows\\temp\\notepad.exe");
    app.CreateShortcuts(kTarget);
    std::vector<std::string> files = ShortcutFiles();
    for (size_t i = 0; i < files.size(); ++i) {
        std::string info = probe::LnkInfo(files[i]);
        EXPECT_TRUE(probe::Contains(info, std::string(": ") + kTarget + "\n")) << info;
        EXPECT_TRUE(probe::Contains(info, ": Quorvalent - play your friends online\n")) << info;
        EXPECT_EQ(probe::Contains(info, "Command line arguments"), i == 3) << info;
        if (i == 3) {
            EXPECT_TRUE(probe::Contains(info, ": /autostart\n")) << info;
        }
    }
}

TEST_F(ShortcutTest, ShortcutPathIsBoundedAndTakesTheProgramName)
{
    const std::string longName(250, 'n');
    const struct {
        const char* target;
        const char* subfolder;
        std::string expected;  // after the Programs folder; empty: refused
    } cases[] = {
        {"C:\\Q\\Quor.valent.exe", nullptr, "\\Quor.valent.lnk"},
        {"C:\\Q\\Quorvalent", nullptr, "\\Quorvalent.lnk"},
        {"Quorvalent.exe", "Sub\\Folder", "\\Sub\\Folder\\Quorvalent.lnk"},
        {longName.c_str(), nullptr, ""},
        {"Q.exe", longName.c_str(), ""},
    };
    std::string programs = probe::SpecialFolder(CSIDL_PROGRAMS);
    for (const auto& c : cases) {
        char path[MAX_PATH] = {};
        bool built = BuildShortcutPath(c.target, CSIDL_PROGRAMS, c.subfolder, path);
        EXPECT_EQ(built ? std::string(path) : "", c.expected.empty() ? "" : programs + c.expected) << c.target;
    }
}
