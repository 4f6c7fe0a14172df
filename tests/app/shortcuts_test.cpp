#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/shortcuts.h"
#include "tests/support/wine_probe.h"

#include <objbase.h>
#include <shlobj.h>

TEST(CreateShortcuts, EachFlagChoosesItsFolderAndALaterInstallationReplacesTheLinks)
{
    // COM for the test's thread, as start-up provides it for the installer's.
    CoInitialize(nullptr);
    const struct {
        uint8_t quickLaunch, desktop, startup;
        const char* made;
    } cases[] = {
        // A fresh prefix has no Quick Launch folder, and it is not ours to create.
        {1, 1, 1, "links programs desktop startup"},
        {1, 0, 0, "links programs quicklaunch"},
        {0, 1, 0, "links programs desktop"},
        {0, 0, 1, "links programs startup"},
        {0, 0, 0, "links programs"},
    };
    for (const auto& c : cases) {
        InstallerApp app;
        app.m_bQuickLaunchIcon = c.quickLaunch;
        app.m_bDesktopIcon = c.desktop;
        app.m_bStartWithWindows = c.startup;
        app.CreateShortcuts("C:\\windows\\notepad.exe");
        EXPECT_EQ(Shortcuts("C:\\windows\\notepad.exe", true), c.made);
        SHCreateDirectoryExA(nullptr, QuickLaunchFolder().c_str(), nullptr);
    }
    ASSERT_TRUE(CopyFileA("C:\\windows\\regedit.exe", "C:\\windows\\temp\\notepad.exe", FALSE));
    InstallerApp().CreateShortcuts("C:\\windows\\notepad.exe");
    InstallerApp().CreateShortcuts("C:\\windows\\temp\\notepad.exe");
    EXPECT_EQ(Shortcuts("C:\\windows\\temp\\notepad.exe"), "links programs quicklaunch desktop startup");
    CoUninitialize();
}

TEST(BuildShortcutPath, IsBoundedAndTakesTheProgramName)
{
    const std::string longName(250, 'n'), programs = SpecialFolder(CSIDL_PROGRAMS);
    const struct {
        const char *target, *subfolder;
        std::string built;  // empty: refused
    } cases[] = {
        {"C:\\Q\\Quor.valent.exe", nullptr, programs + "\\Quor.valent.lnk"},
        {"C:\\Q\\Quorvalent", nullptr, programs + "\\Quorvalent.lnk"},
        {"Quorvalent.exe", "Sub\\Folder", programs + "\\Sub\\Folder\\Quorvalent.lnk"},
        {longName.c_str(), nullptr, ""},
        {"Q.exe", longName.c_str(), ""},
    };
    for (const auto& c : cases) {
        char path[MAX_PATH] = "";
        EXPECT_EQ(BuildShortcutPath(c.target, CSIDL_PROGRAMS, c.subfolder, path) ? path : "", c.built)
            << c.target;
    }
}
