// The installer's download road end to end, against the reference update
// service, nginx and real proxies; their names resolve to this test's own
// loopback (support/net-hosts).
#include "tests/support/gtest.h"

#include "base/folders.h"
#include "net/proxy_settings.h"
#include "package/download_state.h"
#include "tests/support/http_test_support.h"
#include "tests/support/package_builder.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_env.h"
#include "tests/support/wine_probe.h"

#include <functional>
#include <random>

const char kNoResponse[] = "No Response From Quorvalent Server";

TEST(UpdateRun, EachRouteInstallsAndLaunchesTheProgram)
{
    UpdateSite site(EmbeddedPackage(), 1);
    LinuxPeer tinyproxy("tinyproxy", "127.0.0.20", 3128, {"user", "secret"});
    LinuxPeer microsocks("microsocks", "127.0.0.30", 1080, {"user", "secret"});
    // danted checks that its address is one of an interface's, which only
    // the loopback's first address is.
    LinuxPeer danted("danted", "127.0.0.1", 1080);
    ASSERT_TRUE(site.Ready() && tinyproxy.Ready() && microsocks.Ready() && danted.Ready());
    const struct {
        const char* label;
        std::function<void()> choose;
        const char* told;  // empty: installs
    } routes[] = {
        {"direct", [] {}, ""},
        {"HTTP proxy with password", [] { UseHttpProxy("proxy.quorvalent.test", 3128, "user", "secret"); },
         ""},
        // tinyproxy answers credentials it refuses with 401, which asks for
        // nothing: the download fails with that status.
        {"HTTP proxy, wrong password", [] { UseHttpProxy("proxy.quorvalent.test", 3128, "user", "wrong"); },
         kNoResponse},
        {"SOCKS 4", [] { UseSocksProxy(4, "127.0.0.1", 1080, "", ""); }, ""},
        {"SOCKS 5", [] { UseSocksProxy(5, "127.0.0.1", 1080, "", ""); }, ""},
        {"SOCKS 5 with password", [] { UseSocksProxy(5, "socks.quorvalent.test", 1080, "user", "secret"); },
         ""},
        {"SOCKS 5, wrong password", [] { UseSocksProxy(5, "socks.quorvalent.test", 1080, "user", "wrong"); },
         "SOCKS Proxy: Invalid username or password"},
    };
    for (const auto& route : routes) {
        ForgetInstallation();
        UseNoProxy();
        route.choose();
        ProxySettings::Instance().Save();
        SetupResult run = RunSetup("/silent");
        EXPECT_EQ(run.exitCode, 0) << route.label << ": " << run.output;
        if (route.told[0]) {
            EXPECT_TRUE(Contains(run.output, route.told)) << route.label << ": " << run.output;
            EXPECT_FALSE(FileExists((InstallFolder() + "\\Quorvalent.exe").c_str())) << route.label;
        } else {
            EXPECT_TRUE(Contains(run.output, "Downloading latest Quorvalent update...")) << run.output;
            EXPECT_EQ(InstallationLacks(), "") << route.label << ": " << run.output;
        }
    }
}

TEST(UpdateRun, FreshInstallReportsToTheProgressWindow)
{
    // This test's prefix has the null graphics driver: the window is made
    // and fed for real, and nothing falls back to the console.
    UpdateSite site(EmbeddedPackage(), 1);
    ASSERT_TRUE(site.Ready());
    SetupResult run = RunSetup("/silent");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(Contains(run.output, "Downloading")) << run.output;
    EXPECT_EQ(InstallationLacks(), "") << run.output;
}

TEST(UpdateRun, TransferCutTenTimesResumesToIdenticalFiles)
{
    // A stored package, so that every cut falls inside the body.
    const std::string data = PatternBytes(400000, 11);
    std::vector<uint8_t> package =
        testing_package::StoredPackage(testing_package::ArchiveBuilder()
                                           .File("Quorvalent.new.exe", ReadWholeFile(StandinExe()).bytes, 1)
                                           .File("data.bin", data)
                                           .End(),
                                       4);
    // nginx on the mirror's address; the installer reaches it through a
    // relay on the package host's address that cuts the answer.
    UpdateSite site(std::string(package.begin(), package.end()), 4, "127.0.0.11");
    ASSERT_TRUE(site.Ready());
    WinsockSession winsock;
    std::mt19937 cuts(20260);
    // Without a display the installer connects again once on its own, so
    // each run meets two cuts; twenty of them stay below the body's size.
    std::uniform_int_distribution<uint32_t> cutAt(1, 15000);
    for (int attempt = 0; attempt < 10; ++attempt) {
        uint32_t cut = cutAt(cuts);
        ScriptedPeer relay("127.0.0.10", 80,
                           {{Relay("127.0.0.11", 80, cut)}, {Relay("127.0.0.11", 80, cutAt(cuts))}});
        ASSERT_TRUE(relay.Listening());
        SetupResult run = RunSetup("/silent");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_TRUE(Contains(run.output, kNoResponse)) << "cut at " << cut << ": " << run.output;
        relay.Finish();
    }
    char statePath[kFolderPathSize];
    ASSERT_TRUE(GetDownloadStatePath(statePath));
    EXPECT_TRUE(FileExists(statePath)) << "the cut body is kept to resume";
    ScriptedPeer relay("127.0.0.10", 80, {{Relay("127.0.0.11", 80)}});
    SetupResult run = RunSetup("/silent");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    relay.Finish();
    EXPECT_TRUE(ReadWholeFile(InstallFolder() + "\\data.bin").bytes == data);
    EXPECT_FALSE(FileExists(statePath)) << "the state is gone once the body is whole";
    EXPECT_EQ(InstallationLacks(), "") << run.output;
}
