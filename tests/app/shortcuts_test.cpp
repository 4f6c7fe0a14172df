#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/shortcuts.h"
#include "base/folders.h"
#include "tests/support/test_env.h"
#include "tests/support/wine_probe.h"

#include <objbase.h>
#include <shlobj.h>

TEST(CreateShortcuts, EachFlagChoosesItsFolderAndAMissingQuickLaunchFolderIsSkipped)
{
    // COM for the test's thread, as start-up provides it for the installer's.
    CoInitialize(nullptr);
    const std::string quickLaunch =
        SpecialFolder(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch";
    const std::string files[] = {SpecialFolder(CSIDL_PROGRAMS) + "\\notepad.lnk",
                                 quickLaunch + "\\notepad.lnk",
                                 SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\notepad.lnk",
                                 SpecialFolder(CSIDL_STARTUP) + "\\notepad.lnk"};
    const struct {
        uint8_t quickLaunch, desktop, startup;
        bool made[4];  // Programs, Quick Launch, Desktop, Startup
    } cases[] = {
        // A fresh prefix has no Quick Launch folder, and it is not ours to create.
        {1, 1, 1, {true, false, true, true}},   {1, 0, 0, {true, true, false, false}},
        {0, 1, 0, {true, false, true, false}},  {0, 0, 1, {true, false, false, true}},
        {0, 0, 0, {true, false, false, false}},
    };
    for (const auto& c : cases) {
        for (const std::string& file : files) DeleteFileA(file.c_str());
        InstallerApp app;
        app.m_bQuickLaunchIcon = c.quickLaunch;
        app.m_bDesktopIcon = c.desktop;
        app.m_bStartWithWindows = c.startup;
        app.CreateShortcuts("C:\\windows\\notepad.exe");
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(FileExists(files[i].c_str()), c.made[i])
                << files[i] << " " << int(c.quickLaunch) << int(c.desktop) << int(c.startup);
        SHCreateDirectoryExA(nullptr, quickLaunch.c_str(), nullptr);
    }
    // Another installation over the first replaces the link.
    ASSERT_TRUE(CopyFileA("C:\\windows\\regedit.exe", "C:\\windows\\temp\\notepad.exe", FALSE));
    InstallerApp().CreateShortcuts("C:\\windows\\temp\\notepad.exe");
    std::string info = RunHost("lnkinfo " + ShellQuoted(UnixPath(files[0]))).output;
    EXPECT_TRUE(Contains(info, ": C:\\windows\\temp\\notepad.exe\n")) << info;
    CoUninitialize();
}

TEST(BuildShortcutPath, IsBoundedAndTakesTheProgramName)
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
    const std::string programs = SpecialFolder(CSIDL_PROGRAMS);
    for (const auto& c : cases) {
        char path[MAX_PATH] = "";
        bool built = BuildShortcutPath(c.target, CSIDL_PROGRAMS, c.subfolder, path);
        EXPECT_EQ(built ? std::string(path) : "", c.expected.empty() ? "" : programs + c.expected)
            << c.target;
    }
}
