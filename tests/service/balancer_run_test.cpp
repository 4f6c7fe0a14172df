// Installers through a TCP load balancer (nginx's stream module) in front of
// three update services: the balancer takes the service's name and hands the
// connections round, and each service learns the installer's own address
// only from the PROXY header that the balancer puts in front.
#include "tests/support/gtest.h"

#include "app/registry_keys.h"
#include "tests/support/linux_peer.h"
#include "tests/support/wine_probe.h"

#include <memory>
#include <regex>
#include <string>
#include <vector>

TEST(BalancerRun, InstallersReachEveryServiceBehindTheBalancer)
{
    LinuxPeer web("nginx", "127.0.0.10", 80);  // files.quorvalent.test
    std::string package = ReadWholeFile(WindowsPath(ProductDir() + "/resources/embedded.pkg")).bytes;
    ASSERT_TRUE(WriteWholeFile(WindowsPath(web.Folder() + "/www/q.pkg"), package));
    std::vector<std::unique_ptr<LinuxPeer>> services;
    for (const char* address : {"127.0.0.41", "127.0.0.42", "127.0.0.43"}) {
        services.push_back(std::make_unique<LinuxPeer>(
            "service", address, 16000,
            std::vector<std::string>{BuildDir() + "/quorvalent-service", "--package-url",
                                     "http://files.quorvalent.test/q.pkg", "--proxy-from", "127.0.0.40"}));
        ASSERT_TRUE(services.back()->Ready()) << address;
    }
    // update.quorvalent.example
    LinuxPeer balancer("nginx-stream", "127.0.0.40", 16000,
                       {"127.0.0.41:16000", "127.0.0.42:16000", "127.0.0.43:16000"});
    ASSERT_TRUE(web.Ready() && balancer.Ready());
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(RunAndWait("\"" + ProductProgram("quorvalent-setup.exe") + "\" /silent", nullptr, 120000),
                  0)
            << "run " << run;
        // The installation is registered; without its key the next run
        // installs afresh.
        EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey), ERROR_SUCCESS) << "run " << run;
    }
    std::regex installer("client=127\\.0\\.0\\.1:[0-9]+ via=127\\.0\\.0\\.40 nonce=[0-9]+ result=location");
    for (const auto& service : services) {
        std::string log = ReadWholeFile(WindowsPath(service->Folder() + "/server.log")).bytes;
        EXPECT_TRUE(std::regex_search(log, installer)) << log;
    }
}
