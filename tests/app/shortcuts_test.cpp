#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/shortcuts.h"
#include "tests/support/wine_probe.h"

#include <objbase.h>
#include <shlobj.h>

#include <tuple>

TEST(Shortcuts, EachFlagChoosesItsFolderALaterInstallationReplacesThemAndTheirPathsAreBounded)
{
    CoInitialize(nullptr);  // as start-up does for the installer's thread
    // A fresh prefix has no Quick Launch folder, and it is not ours to create.
    const std::tuple<uint8_t, uint8_t, uint8_t, const char*> cases[] = {
        {1, 1, 1, "links programs desktop startup"},
        {1, 0, 0, "links programs quicklaunch"},
        {0, 1, 0, "links programs desktop"},
        {0, 0, 1, "links programs startup"},
        {0, 0, 0, "links programs"},
    };
    for (const auto& [quickLaunch, desktop, startup, made] : cases) {
        InstallerApp app;
        app.m_bQuickLaunchIcon = quickLaunch, app.m_bDesktopIcon = desktop, app.m_bStartWithWindows = startup;
        app.CreateShortcuts("C:\\windows\\notepad.exe");
        EXPECT_EQ(Shortcuts("C:\\windows\\notepad.exe", true), made);
        SHCreateDirectoryExA(nullptr, QuickLaunchFolder().c_str(), nullptr);
    }
    ASSERT_TRUE(CopyFileA("C:\\windows\\regedit.exe", "C:\\windows\\temp\\notepad.exe", FALSE));
    InstallerApp().CreateShortcuts("C:\\windows\\notepad.exe");
    InstallerApp().CreateShortcuts("C:\\windows\\temp\\notepad.exe");
    EXPECT_EQ(Shortcuts("C:\\windows\\temp\\notepad.exe"), "links programs quicklaunch desktop startup");
    CoUninitialize();
    const std::string longName(250, 'n'), programs = SpecialFolder(CSIDL_PROGRAMS);
    const std::tuple<const char*, const char*, std::string> paths[] = {
        {"C:\\Q\\Quor.valent.exe", nullptr, programs + "\\Quor.valent.lnk"},
        {"C:\\Q\\Quorvalent", nullptr, programs + "\\Quorvalent.lnk"},
        {"Quorvalent.exe", "Sub\\Folder", programs + "\\Sub\\Folder\\Quorvalent.lnk"},
        {longName.c_str(), nullptr, ""},  // refused
        {"Q.exe", longName.c_str(), ""},
    };
    for (const auto& [target, subfolder, built] : paths) {
        char path[MAX_PATH] = "";
        EXPECT_EQ(BuildShortcutPath(target, CSIDL_PROGRAMS, subfolder, path) ? path : "", built) << target;
    }
}
