// The installer program end to end against the real update service and a
// real web server: the name of the service and the package host resolve to
// this test's own loopback (support/net-hosts).
#include "tests/support/gtest.h"

#include "app/registry_keys.h"
#include "net/proxy_settings.h"
#include "package/download_state.h"
#include "base/folders.h"
#include "tests/app/installation_probe.h"
#include "tests/support/http_test_support.h"
#include "tests/support/linux_peer.h"
#include "tests/support/process.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_env.h"

#include <cstdlib>
#include <random>
#include <string>

namespace {

const char kFilesAddress[] = "127.0.0.10";   // files.quorvalent.test
const char kMirrorAddress[] = "127.0.0.11";  // mirror.quorvalent.test

std::string InstallFolder() { return probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent"; }

std::string FileText(const std::string& path) { return ReadWholeFile(path).bytes; }

// The sanitizer's preload reaches every program the installer starts, and
// the stand-in, a plain Windows program, cannot start with it.
bool LaunchesCanBeSeen() { return std::getenv("QV_PRELOAD") == nullptr; }

std::string StatePath()
{
    char path[kFolderPathSize];
    GetDownloadStatePath(path);
    return path;
}

// nginx with the package, and the update service handing out its URL.
struct UpdateSite {
    UpdateSite(const char* webAddress, const std::string& package, uint32_t number)
        : web("nginx", webAddress, 80),
          service("service", "127.0.0.40", 16000,
                  {BuildPath("quorvalent-service"), "--package-url", "http://files.quorvalent.test/q.pkg",
                   "--package-number", std::to_string(number)})
    {
        WriteUnixFile(web.Folder() + "/www/q.pkg", package);
    }
    bool Ready() const { return web.Ready() && service.Ready(); }

    LinuxPeer web;
    LinuxPeer service;
};

std::string EmbeddedPackage() { return FileText(probe::WindowsPath("QV_BUILD_DIR") + "\\resources\\embedded.pkg"); }

int RunSetup(std::string* output) { return RunBuiltProgram("quorvalent-setup.exe", "/silent", output); }

void ExpectInstalledAndLaunched()
{
    std::string program = InstallFolder() + "\\Quorvalent.exe";
    EXPECT_EQ(FileText(program), FileText(probe::StandinExe()));
    EXPECT_EQ(probe::ReadValue(kUninstallKey, "DisplayIcon").text().empty(), false);
    EXPECT_FALSE(probe::FileExists(StatePath()));
    if (LaunchesCanBeSeen()) {
        std::vector<probe::StartRecord> starts = probe::WaitForStarts(InstallFolder(), 1);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].arguments, "");
    }
}

void SaveProxies() { ASSERT_NO_FATAL_FAILURE(ProxySettings::Instance().Save()); }

const char kNoResponse[] = "No Response From Quorvalent Server";

}  // namespace

TEST(UpdateRun, FreshInstallFromTheServiceLaunchesTheProgram)
{
    UpdateSite site(kFilesAddress, EmbeddedPackage(), 1);
    ASSERT_TRUE(site.Ready());
    std::string output;
    EXPECT_EQ(RunSetup(&output), 0) << output;
    EXPECT_NE(output.find("Downloading latest Quorvalent update..."), std::string::npos) << output;
    ExpectInstalledAndLaunched();
}

TEST(UpdateRun, FreshInstallReportsToTheProgressWindow)
{
    // This test's prefix has the null graphics driver: the window is made
    // and fed for real, and nothing falls back to the console.
    UpdateSite site(kFilesAddress, EmbeddedPackage(), 1);
    ASSERT_TRUE(site.Ready());
    std::string output;
    EXPECT_EQ(RunSetup(&output), 0) << output;
    EXPECT_EQ(output.find("Downloading latest Quorvalent update..."), std::string::npos) << output;
    EXPECT_EQ(output.find("Downloading new update..."), std::string::npos) << output;
    ExpectInstalledAndLaunched();
}

TEST(UpdateRun, ThroughAnHttpProxyWithPassword)
{
    UpdateSite site(kFilesAddress, EmbeddedPackage(), 1);
    LinuxPeer proxy("tinyproxy", "127.0.0.20", 3128, {"user", "secret"});
    ASSERT_TRUE(site.Ready() && proxy.Ready());
    UseNoProxy();
    UseHttpProxy("proxy.quorvalent.test", 3128, "user", "secret");
    SaveProxies();
    // The web server is reachable only through the proxy's name lookup.
    std::string output;
    EXPECT_EQ(RunSetup(&output), 0) << output;
    ExpectInstalledAndLaunched();
}

TEST(UpdateRun, ThroughSocks5WithPassword)
{
    UpdateSite site(kFilesAddress, EmbeddedPackage(), 1);
    LinuxPeer socks("microsocks", "127.0.0.30", 1080, {"user", "secret"});
    ASSERT_TRUE(site.Ready() && socks.Ready());
    UseNoProxy();
    UseSocksProxy(5, "socks.quorvalent.test", 1080, "user", "secret");
    SaveProxies();
    std::string output;
    EXPECT_EQ(RunSetup(&output), 0) << output;
    EXPECT_EQ(output.find(kNoResponse), std::string::npos) << output;
    ExpectInstalledAndLaunched();
}

TEST(UpdateRun, TransferCutTenTimesResumesToIdenticalFiles)
{
    // A package of the stand-in and data that does not compress, so that
    // every cut falls inside its body.
    std::string source = ScratchFolder("content");
    std::string data = PatternBytes(400000, 11);
    ASSERT_TRUE(WriteWholeFile(source + "Quorvalent.new.exe", FileText(probe::StandinExe())));
    ASSERT_TRUE(WriteWholeFile(source + "data.bin", data));
    std::string package = ScratchFolder("out") + "big.pkg";
    std::string packOutput;
    ASSERT_EQ(RunBuiltProgram("quorvalent-pack.exe",
                              "--number 4 --program Quorvalent.new.exe '" + source + "' '" + package + "'",
                              &packOutput),
              0)
        << packOutput;
    // nginx on the mirror address; the installer reaches it through a relay
    // on the package host's address that cuts the answer.
    UpdateSite site(kMirrorAddress, FileText(package), 4);
    ASSERT_TRUE(site.Ready());
    WinsockSession winsock;
    std::mt19937 cuts(20260);
    for (int attempt = 0; attempt < 10; ++attempt) {
        // Without a display the installer connects again once on its own, so
        // each run meets two cuts; twenty of them stay below the body's size.
        std::uniform_int_distribution<uint32_t> cutAt(1, 15000);
        uint32_t cut = cutAt(cuts);
        ScriptedPeer relay(kFilesAddress, 80, {{Relay(kMirrorAddress, 80, cut)}, {Relay(kMirrorAddress, 80, cutAt(cuts))}});
        ASSERT_TRUE(relay.Listening());
        std::string output;
        EXPECT_EQ(RunSetup(&output), 0) << output;
        EXPECT_NE(output.find(kNoResponse), std::string::npos) << "cut at " << cut << ": " << output;
        relay.Finish();
    }
    EXPECT_TRUE(probe::FileExists(StatePath()));
    ScriptedPeer relay(kFilesAddress, 80, {{Relay(kMirrorAddress, 80)}});
    std::string output;
    EXPECT_EQ(RunSetup(&output), 0) << output;
    relay.Finish();
    EXPECT_EQ(FileText(InstallFolder() + "\\data.bin"), data);
    ExpectInstalledAndLaunched();
}

TEST(UpdateRun, PackageNumberMismatchEndsInTheNoResponseQuestion)
{
    UpdateSite site(kFilesAddress, EmbeddedPackage(), 2);
    ASSERT_TRUE(site.Ready());
    std::string output;
    EXPECT_EQ(RunSetup(&output), 0) << output;
    EXPECT_NE(output.find(std::string(kNoResponse) + ": There was no response"), std::string::npos) << output;
    // No one can answer: one more attempt, then the end that Exit gives.
    EXPECT_NE(output.find("(no dialog could be shown: Connect)"), std::string::npos) << output;
    EXPECT_NE(output.find("(no dialog could be shown: Exit)"), std::string::npos) << output;
    EXPECT_FALSE(probe::FileExists(InstallFolder() + "\\Quorvalent.exe"));
    EXPECT_FALSE(probe::KeyExists(kUninstallKey));
}
