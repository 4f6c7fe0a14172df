#include "tests/support/gtest.h"

#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"
#include "tests/support/test_env.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

std::string InstallFolder() { return probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent"; }
std::string Program() { return InstallFolder() + "\\Quorvalent.exe"; }

struct Shortcut {
    int folder;
    const char* subfolder;
    const char* arguments;
};

const Shortcut kShortcuts[] = {
    {CSIDL_PROGRAMS, "", ""},
    {CSIDL_APPDATA, "\\Microsoft\\Internet Explorer\\Quick Launch", ""},
    {CSIDL_DESKTOPDIRECTORY, "", ""},
    {CSIDL_STARTUP, "", "/autostart"},
};

std::string ShortcutFile(const Shortcut& s) { return probe::SpecialFolder(s.folder) + s.subfolder + "\\Quorvalent.lnk"; }

int RunSetup(const std::string& options) { return probe::RunAndWait("\"" + probe::SetupExe() + "\" " + options); }

using probe::Contains;

// The archive size in the header of the package that this program carries
// too: the installer's registration reports it.
uint32_t CarriedArchiveSize()
{
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(10000), "ARC");
    if (!resource || SizeofResource(nullptr, resource) < 16)
        return 0;
    const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, resource)));
    return uint32_t(bytes[4]) << 24 | uint32_t(bytes[5]) << 16 | uint32_t(bytes[6]) << 8 | bytes[7];
}

// A run that may ask or tell the user something: what it wrote on stderr
// (which a Winelib program keeps on the Unix side), and whether a window with
// the caption appeared; such a window is closed as its close box would.
struct WatchedRun {
    std::string output;
    bool windowShown = false;
};

WatchedRun RunSetupWatching(const std::string& options, const char* caption)
{
    WatchedRun result;
    std::atomic<bool> ended(false);
    std::string command = "timeout 60 wine '" + probe::UnixPath(probe::SetupExe()) + "' " + options;
    // A host thread: it calls only the C library, never Wine.
    std::thread run([&] {
        result.output = probe::UnixOutput(command, true);
        ended = true;
    });
    for (int i = 0; i < 1300 && !ended; ++i) {
        if (HWND window = FindWindowA(nullptr, caption)) {
            result.windowShown = true;
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        Sleep(50);
    }
    run.join();
    return result;
}

}  // namespace

TEST(SetupRun, OemSilentInstallsFilesRegistrationAndShortcuts)
{
    probe::CreateQuickLaunchFolder();
    ASSERT_EQ(RunSetup("/oem /silent /bundle 7"), 0);

    EXPECT_TRUE(probe::FileExists(Program()));
    EXPECT_FALSE(probe::FileExists(InstallFolder() + "\\Quorvalent.new.exe"));
    EXPECT_EQ(probe::ReadValue(kProductKey, "Bundle").dword(), 7u);
    EXPECT_EQ(probe::ReadValue(kProductKey, "ExecutablePath").text(), Program());
    EXPECT_EQ(probe::ReadValue(kUninstallKey, "DisplayIcon").text(), Program());
    EXPECT_EQ(probe::ReadValue(kArpCacheKey, "SlowInfoCache").data.size(), 552u);
    EXPECT_EQ(probe::ReadValue(kUninstallKey, "EstimatedSize").dword(), CarriedArchiveSize());

    for (const Shortcut& s : kShortcuts) {
        std::string info = probe::LnkInfo(ShortcutFile(s));
        EXPECT_TRUE(Contains(info, "Local path") && Contains(info, Program())) << info;
        EXPECT_TRUE(Contains(info, "Description") && Contains(info, "Quorvalent - play your friends online"))
            << info;
        EXPECT_EQ(Contains(info, "Command line arguments"), s.arguments[0] != '\0') << info;
        if (s.arguments[0]) {
            EXPECT_TRUE(Contains(info, s.arguments)) << info;
        }
    }

    // Wine's own tools read the registration.
    EXPECT_TRUE(Contains(probe::UnixOutput("wine uninstaller --list"), "Quorvalent"));
    std::string query = probe::UnixOutput("wine reg query 'HKCU\\" + std::string(kUninstallKey) + "'");
    EXPECT_TRUE(Contains(query, "UninstallString") && Contains(query, "/uninstall")) << query;
    // With oem the installed program is not started.
    Sleep(1000);
    EXPECT_TRUE(probe::WaitForStarts(InstallFolder()).empty());
}

TEST(SetupRun, SecondOemRunRenewsOnlyShortcutsAndBundle)
{
    probe::CreateQuickLaunchFolder();
    ASSERT_EQ(RunSetup("/oem /silent"), 0);
    // A mark that a second installation or registration would overwrite.
    probe::WriteText(kUninstallKey, "DisplayName", "marked");
    for (const Shortcut& s : kShortcuts)
        DeleteFileA(ShortcutFile(s).c_str());

    ASSERT_EQ(RunSetup("/oem /bundle 11"), 0);
    EXPECT_EQ(probe::ReadValue(kProductKey, "Bundle").dword(), 11u);
    for (const Shortcut& s : kShortcuts)
        EXPECT_FALSE(probe::FileExists(ShortcutFile(s))) << "oem alone writes no shortcut";

    ASSERT_EQ(RunSetup("/oem /silent /bundle 12"), 0);
    EXPECT_EQ(probe::ReadValue(kProductKey, "Bundle").dword(), 12u);
    for (const Shortcut& s : kShortcuts)
        EXPECT_TRUE(probe::FileExists(ShortcutFile(s))) << ShortcutFile(s);
    EXPECT_EQ(probe::ReadValue(kUninstallKey, "DisplayName").text(), "marked");
    Sleep(1000);
    EXPECT_TRUE(probe::WaitForStarts(InstallFolder()).empty());
}

TEST(SetupRun, InstalledProgramLaunchesAndRemovesItself)
{
    probe::CreateQuickLaunchFolder();
    ASSERT_EQ(RunSetup("/oem /silent"), 0);
    // What the Start menu does with the Programs shortcut.
    std::unique_ptr<WithoutSanitizerPreload> plainWindowsPrograms(new WithoutSanitizerPreload);
    SHELLEXECUTEINFOA open = {};
    open.cbSize = sizeof open;
    open.fMask = SEE_MASK_NOCLOSEPROCESS;
    std::string shortcut = ShortcutFile(kShortcuts[0]);
    open.lpFile = shortcut.c_str();
    open.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExA(&open));
    if (open.hProcess) {
        WaitForSingleObject(open.hProcess, 20000);
        CloseHandle(open.hProcess);
    }
    std::vector<probe::StartRecord> starts = probe::WaitForStarts(InstallFolder(), 1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].arguments, "");

    std::string prefs = probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent Prefs";
    CreateDirectoryA(prefs.c_str(), nullptr);
    std::string uninstall = probe::ReadValue(kUninstallKey, "UninstallString").text();
    ASSERT_EQ(probe::RunAndWait(uninstall, InstallFolder().c_str()), 0) << uninstall;
    EXPECT_FALSE(probe::KeyExists(kUninstallKey));
    EXPECT_FALSE(probe::KeyExists(kArpCacheKey));
    EXPECT_FALSE(probe::KeyExists("SOFTWARE\\Quorvalent"));
    for (const Shortcut& s : kShortcuts)
        EXPECT_FALSE(probe::FileExists(ShortcutFile(s))) << ShortcutFile(s);
    EXPECT_FALSE(probe::FileExists(InstallFolder()));
    // The installer's own preferences are not the program's to remove.
    EXPECT_TRUE(probe::FileExists(prefs));

    // Removed, it installs again.
    plainWindowsPrograms.reset();
    ASSERT_EQ(RunSetup("/oem /silent"), 0);
    EXPECT_TRUE(probe::FileExists(Program()));
    EXPECT_TRUE(probe::KeyExists(kUninstallKey));
}

TEST(SetupRun, WithoutOemAnExistingInstallationIsAskedAbout)
{
    ASSERT_EQ(RunSetup("/oem /silent /bundle 5"), 0);
    DeleteFileA(ShortcutFile(kShortcuts[0]).c_str());
    // Closing the question is its Cancel: nothing is started or written.
    WatchedRun run = RunSetupWatching("/silent /bundle 9", "Quorvalent - Already Installed");
    EXPECT_TRUE(run.windowShown || Contains(run.output, "Quorvalent is already installed")) << run.output;
    EXPECT_EQ(probe::ReadValue(kProductKey, "Bundle").dword(), 5u);
    EXPECT_FALSE(probe::FileExists(ShortcutFile(kShortcuts[0])));
    Sleep(1000);
    EXPECT_TRUE(probe::WaitForStarts(InstallFolder()).empty());
}
