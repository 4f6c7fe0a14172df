#include "tests/support/gtest.h"

#include "app/registry_keys.h"
#include "base/error_code.h"
#include "base/folders.h"
#include "package/download_state.h"
#include "package/package_job.h"
#include "tests/app/installation_probe.h"
#include "tests/campaign/http_answer.h"
#include "tests/package/package_helpers.h"
#include "tests/support/http_test_support.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_env.h"

#include <shlobj.h>

#include <string>

// These tests run in a mount namespace of their own (tests/CMakeLists.txt,
// NET_TESTS), so the small file systems they mount over the user's folders
// are seen by this test alone and vanish with it.
namespace {

std::string QuorvalentData() { return probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent"; }
std::string InstallFolder() { return QuorvalentData() + "\\Quorvalent"; }

// Mounts a tmpfs with the options over the folder (made first); false when
// the mount fails.
bool MountSmallDisk(const std::string& folder, const std::string& options)
{
    CreateDirectoryA(QuorvalentData().c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string output = probe::UnixOutput("mount -t tmpfs -o " + options + " qv-small '" +
                                           probe::UnixPath(folder) + "' && echo mounted");
    return probe::Contains(output, "mounted");
}

void Unmount(const std::string& folder) { probe::UnixOutput("umount '" + probe::UnixPath(folder) + "'"); }

std::string RunSetupCapturingAlerts()
{
    StderrCapture capture;
    std::string output = probe::UnixOutput(
        "timeout 60 wine '" + probe::UnixPath(probe::SetupExe()) + "' /oem /silent; echo \"exit $?\"", true);
    return output + capture.Text();
}

}  // namespace

// The installation folder full or read-only: the embedded install fails
// while writing, the download that follows finds no service here, and the
// user is offered a retry. Nothing is registered for the failed install.
TEST(DiskFull, InstallFolderThatCannotTakeTheFilesRegistersNothing)
{
    const struct {
        const char* label;
        const char* options;
    } cases[] = {
        {"full", "size=8k"},
        {"read-only", "ro,size=1m"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(MountSmallDisk(InstallFolder(), c.options)) << c.label;
        std::string output = RunSetupCapturingAlerts();
        Unmount(InstallFolder());
        EXPECT_TRUE(probe::Contains(output, "No Response From Quorvalent Server")) << c.label << ": " << output;
        EXPECT_TRUE(probe::Contains(output, "exit 0")) << c.label << ": " << output;
        EXPECT_FALSE(probe::KeyExists(kUninstallKey)) << c.label;
        EXPECT_TRUE(probe::ReadValue(kProductKey, "ExecutablePath").text().empty()) << c.label;
    }
}

// A cut download whose state file meets a full disk keeps what fitted: the
// file is still a prefix of the package, and once there is room again the
// next download continues from it to a whole body.
TEST(DiskFull, StateFileCutByAFullDiskStillResumes)
{
    WinsockSession winsock;
    UseNoProxy();
    using namespace testing_package;
    const std::string data = PatternBytes(120000, 5);
    std::vector<uint8_t> bytes = StoredPackage(ArchiveBuilder().File("data.bin", data).File("Quorvalent.new.exe", "new", 1).End(), 3);
    const std::string package(bytes.begin(), bytes.end());
    char statePath[kFolderPathSize];
    ASSERT_TRUE(GetDownloadStatePath(statePath));
    std::string prefs = statePath;
    prefs.resize(prefs.rfind('\\'));
    ASSERT_TRUE(MountSmallDisk(prefs, "size=16k"));
    {
        ScriptedPeer server("127.0.0.10", 80, {{ReceiveHeaders(), Send(SizedAnswer(package, 0).substr(0, 100000))}});
        PackageJob job(nullptr);
        StderrCapture alerts;
        EXPECT_THROW(job.DownloadPackage("http://files.quorvalent.test/q.pkg", 3), ErrorCode);
        EXPECT_EQ(alerts.Text(), "") << "the header was known";
    }
    std::string kept = ReadFileText(statePath);
    Unmount(prefs);
    ASSERT_GE(kept.size(), 16u);
    ASSERT_LE(kept.size(), 16u * 1024) << "more than the disk holds";
    EXPECT_TRUE(kept == package.substr(0, kept.size()));

    // The prefs folder beneath the mount is back; the kept bytes go there.
    ASSERT_TRUE(WriteFileText(statePath, kept));
    ScriptedPeer server("127.0.0.10", 80, {{ReceiveHeaders(), Send(SizedAnswer(package, kept.size()))}});
    PackageJob job(nullptr);
    job.DownloadPackage("http://files.quorvalent.test/q.pkg", 3);
    EXPECT_TRUE(std::string(reinterpret_cast<char*>(job.body), package.size() - 16) == package.substr(16));
    EXPECT_TRUE(server.Finish());
    EXPECT_TRUE(probe::Contains(server.Received(0), "Range: bytes=" + std::to_string(kept.size()) + "-"));
}
