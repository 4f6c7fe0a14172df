#include "tests/support/gtest.h"

#include "app/registration.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"
#include "tests/support/sanitizer_env.h"

#include <shlobj.h>

namespace {

// The installation folder as the package job makes it.
std::string InstallFolder() { return probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent"; }

// An installed copy with a file beside it, registered.
void InstallStandin(const std::string& folder)
{
    SHCreateDirectoryExA(nullptr, (folder + "\\docs").c_str(), nullptr);
    probe::CopyStandinTo(folder + "\\Quorvalent.exe");
    probe::CopyStandinTo(folder + "\\docs\\readme.txt");
    RegisterInstallation((folder + "\\Quorvalent.exe").c_str(), 1000);
}

}  // namespace

TEST(Standin, RecordsEachStartWithTimeFolderAndArguments)
{
    WithoutSanitizerPreload plainWindowsPrograms;
    std::string folder = probe::TestRoot() + "\\run";
    CreateDirectoryA(folder.c_str(), nullptr);
    probe::CopyStandinTo(folder + "\\Quorvalent.exe");
    SetCurrentDirectoryA(probe::TestRoot().c_str());
    const char* arguments[] = {"", "/autostart", "one \"two three\""};
    for (const char* a : arguments)
        EXPECT_EQ(probe::RunAndWait("\"" + folder + "\\Quorvalent.exe\" " + a), 0) << a;
    std::vector<probe::StartRecord> starts = probe::WaitForStarts(folder);
    ASSERT_EQ(starts.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(starts[i].arguments, arguments[i]);
        EXPECT_EQ(starts[i].folder, probe::TestRoot());
        // 2026-12-07T01:02:03Z
        EXPECT_EQ(starts[i].time.size(), 20u) << starts[i].time;
        EXPECT_EQ(starts[i].time.back(), 'Z') << starts[i].time;
    }
}

TEST(Standin, UninstallFromAnotherFolderKeepsThatFolder)
{
    WithoutSanitizerPreload plainWindowsPrograms;
    InstallStandin(InstallFolder());
    std::string folder = probe::TestRoot() + "\\copy";
    CreateDirectoryA(folder.c_str(), nullptr);
    probe::CopyStandinTo(folder + "\\Quorvalent.exe");
    EXPECT_EQ(probe::RunAndWait("\"" + folder + "\\Quorvalent.exe\" /uninstall"), 0);
    EXPECT_FALSE(probe::KeyExists(kUninstallKey));
    EXPECT_TRUE(probe::FileExists(folder + "\\Quorvalent.exe"));
    EXPECT_EQ(probe::WaitForStarts(folder).size(), 1u);
    // Only the registered folder is the installation.
    EXPECT_TRUE(probe::FileExists(InstallFolder() + "\\docs\\readme.txt"));
}
