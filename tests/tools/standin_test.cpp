#include "tests/support/gtest.h"

#include "app/registration.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"
#include "tests/support/test_env.h"

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

TEST(Standin, UninstallFromAnotherFolderKeepsThatFolder)
{
    WithoutSanitizerPreload plainWindowsPrograms;
    InstallStandin(InstallFolder());
    std::string folder = probe::TestRoot() + "\\copy";
    CreateDirectoryA(folder.c_str(), nullptr);
    probe::CopyStandinTo(folder + "\\Quorvalent.exe");
    SetCurrentDirectoryA(probe::TestRoot().c_str());
    EXPECT_EQ(probe::RunAndWait("\"" + folder + "\\Quorvalent.exe\" /uninstall"), 0);
    EXPECT_FALSE(probe::KeyExists(kUninstallKey));
    EXPECT_TRUE(probe::FileExists(folder + "\\Quorvalent.exe"));
    // Each start is recorded with its time (2026-12-07T01:02:03Z), folder and arguments.
    std::vector<probe::StartRecord> starts = probe::WaitForStarts(folder);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].arguments, "/uninstall");
    EXPECT_EQ(starts[0].folder, probe::TestRoot());
    EXPECT_EQ(starts[0].time.size(), 20u) << starts[0].time;
    // Only the registered folder is the installation.
    EXPECT_TRUE(probe::FileExists(InstallFolder() + "\\docs\\readme.txt"));
}
