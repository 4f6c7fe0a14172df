#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/registration.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"

#include <objbase.h>
#include <shlobj.h>

namespace {

// The installation folder as the package job makes it.
std::string InstallFolder() { return probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent"; }

std::vector<std::string> ShortcutFiles()
{
    return {probe::SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvalent.lnk",
            probe::SpecialFolder(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch\\Quorvalent.lnk",
            probe::SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Quorvalent.lnk",
            probe::SpecialFolder(CSIDL_STARTUP) + "\\Quorvalent.lnk"};
}

// Everything an installation leaves: files, registration, shortcuts.
std::string InstallStandin(const std::string& folder)
{
    SHCreateDirectoryExA(nullptr, (folder + "\\docs").c_str(), nullptr);
    std::string program = folder + "\\Quorvalent.exe";
    probe::CopyStandinTo(program);
    CopyFileA(probe::StandinExe().c_str(), (folder + "\\docs\\readme.txt").c_str(), FALSE);
    RegisterInstallation(program.c_str(), 1000);
    InstallerApp app;
    app.WriteBundleValue();
    CoInitialize(nullptr);
    probe::CreateQuickLaunchFolder();
    app.CreateShortcuts(program.c_str());
    CoUninitialize();
    return program;
}

}  // namespace

TEST(Standin, RecordsEachStartWithTimeFolderAndArguments)
{
    probe::WithoutSanitizerPreload plainWindowsPrograms;
    std::string folder = probe::TestRoot() + "\\run";
    CreateDirectoryA(folder.c_str(), nullptr);
    probe::CopyStandinTo(folder + "\\Quorvalent.exe");
    SetCurrentDirectoryA(probe::TestRoot().c_str());
    const char* arguments[] = {"", "/autostart", "one \"two three\""};
    for (const char* a : arguments)
        EXPECT_EQ(probe::RunAndWait("\"" + folder + "\\Quorvalent.exe\" " + a), 0) << a;
    std::vector<probe::StartRecord> starts = probe::ReadStarts(folder);
    ASSERT_EQ(starts.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(starts[i].arguments, arguments[i]);
        EXPECT_EQ(starts[i].folder, probe::TestRoot());
        // 2026-12-07T01:02:03Z
        EXPECT_EQ(starts[i].time.size(), 20u) << starts[i].time;
        EXPECT_EQ(starts[i].time.back(), 'Z') << starts[i].time;
    }
}

TEST(Standin, UninstallRemovesEverythingTheInstallerMade)
{
    probe::WithoutSanitizerPreload plainWindowsPrograms;
    std::string program = InstallStandin(InstallFolder());
    std::string prefs = probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent Prefs";
    CreateDirectoryA(prefs.c_str(), nullptr);
    for (const std::string& file : ShortcutFiles())
        ASSERT_TRUE(probe::FileExists(file)) << file;

    // Started from its own folder, as its shortcuts and the installer do.
    EXPECT_EQ(probe::RunAndWait("\"" + program + "\" /uninstall", InstallFolder().c_str()), 0);

    EXPECT_FALSE(probe::KeyExists(kUninstallKey));
    EXPECT_FALSE(probe::KeyExists(kArpCacheKey));
    EXPECT_FALSE(probe::KeyExists("SOFTWARE\\Quorvalent"));
    for (const std::string& file : ShortcutFiles())
        EXPECT_FALSE(probe::FileExists(file)) << file;
    EXPECT_FALSE(probe::FileExists(InstallFolder())) << probe::UnixOutput("ls -laR '" + probe::UnixPath(InstallFolder()) + "'");
    // The installer's own preferences are not the program's to remove.
    EXPECT_TRUE(probe::FileExists(prefs));
}

TEST(Standin, UninstallFromAnotherFolderKeepsThatFolder)
{
    probe::WithoutSanitizerPreload plainWindowsPrograms;
    InstallStandin(InstallFolder());
    std::string folder = probe::TestRoot() + "\\copy";
    CreateDirectoryA(folder.c_str(), nullptr);
    probe::CopyStandinTo(folder + "\\Quorvalent.exe");
    EXPECT_EQ(probe::RunAndWait("\"" + folder + "\\Quorvalent.exe\" /uninstall"), 0);
    EXPECT_FALSE(probe::KeyExists(kUninstallKey));
    EXPECT_TRUE(probe::FileExists(folder + "\\Quorvalent.exe"));
    EXPECT_EQ(probe::ReadStarts(folder).size(), 1u);
    // Only the registered folder is the installation.
    EXPECT_TRUE(probe::FileExists(InstallFolder() + "\\docs\\readme.txt"));
}
