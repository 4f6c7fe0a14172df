#include "tests/support/gtest.h"

#include "app/installer_claim.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"
#include "tests/support/test_env.h"

#include <shlobj.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace {

const char kClaimWord[] = "Another Quorvalent installer is running";

std::string InstallFolder() { return probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent"; }

// Output of a silent oem run, with its exit status behind it.
std::string RunSetup()
{
    return probe::UnixOutput("timeout 60 wine '" + probe::UnixPath(probe::SetupExe()) +
                                 "' /oem /silent; echo \"exit $?\"",
                             true);
}

// The same, and what the run printed on this process's standard error:
// started from this Wine process, it may print its alerts there rather than
// on the shell's.
std::string RunSetupCapturingAlerts()
{
    StderrCapture capture;
    std::string output = RunSetup();
    return output + capture.Text();
}

std::string ProgramBytes() { return probe::UnixOutput("cat '" + probe::UnixPath(InstallFolder() + "\\Quorvalent.exe") + "'"); }

}  // namespace

TEST(InstallerClaim, WhileAnotherInstallerRunsNothingIsTouched)
{
    HANDLE held = CreateMutexA(nullptr, FALSE, kInstallerClaimName);
    ASSERT_TRUE(held);
    std::string output = RunSetupCapturingAlerts();
    EXPECT_TRUE(probe::Contains(output, kClaimWord)) << output;
    EXPECT_TRUE(probe::Contains(output, "exit 0")) << output;
    EXPECT_FALSE(probe::KeyExists(kUninstallKey));
    EXPECT_FALSE(probe::KeyExists(kProductKey)) << "not even the Bundle value";
    EXPECT_FALSE(probe::FileExists(InstallFolder() + "\\Quorvalent.exe"));
    CloseHandle(held);

    output = RunSetupCapturingAlerts();
    EXPECT_FALSE(probe::Contains(output, kClaimWord)) << output;
    EXPECT_TRUE(probe::KeyExists(kUninstallKey));
}

// Pairs started together: one installation, whole and registered once,
// whichever of the two made it.
TEST(InstallerClaim, TwoInstallersAtOnceLeaveOneWholeInstallation)
{
    // Two sanitized installers started at once in one prefix sometimes hang
    // in Wine's start-up, before any code of ours runs.
    if (std::getenv("QV_PRELOAD"))
        GTEST_SKIP() << "not with the sanitizer runtime preloaded";
    std::string standin = probe::UnixOutput("cat '" + probe::UnixPath(probe::StandinExe()) + "'");
    ASSERT_FALSE(standin.empty());
    for (int round = 0; round < 3; ++round) {
        std::string first, second;
        // Host threads: they call only the C library, never Wine.
        std::thread a([&] { first = RunSetup(); });
        std::thread b([&] { second = RunSetup(); });
        a.join();
        b.join();
        EXPECT_TRUE(probe::Contains(first, "exit 0") && probe::Contains(second, "exit 0")) << first << second;
        EXPECT_TRUE(ProgramBytes() == standin) << "round " << round;
        EXPECT_FALSE(probe::FileExists(InstallFolder() + "\\Quorvalent.new.exe")) << "round " << round;
        EXPECT_EQ(probe::ReadValue(kUninstallKey, "DisplayIcon").text(), InstallFolder() + "\\Quorvalent.exe");
        EXPECT_FALSE(probe::Contains(first, "Unable") || probe::Contains(second, "Unable")) << first << second;
    }
}
