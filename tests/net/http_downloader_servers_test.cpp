#include "tests/support/gtest.h"

#include "net/http_downloader.h"

#include "tests/support/http_test_support.h"
#include "tests/support/linux_peer.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"

#include <memory>
#include <string>

namespace {

const size_t kFileSize = 300 * 1024 + 17;

// nginx on port 80 of files.quorvalent.test serving one package file (also
// in chunks), and a second one on mirror.quorvalent.test, where the
// redirects of the first point.
class WebServers {
public:
    WebServers()
        : package(PatternBytes(kFileSize, 1)), mirrorPackage(PatternBytes(kFileSize / 2, 2)),
          files("nginx", "127.0.0.10", 80), mirror("nginx", "127.0.0.11", 80)
    {
        WriteUnixFile(files.Folder() + "/www/files/package.bin", package);
        WriteUnixFile(files.Folder() + "/www/chunked/package.bin", package);
        WriteUnixFile(mirror.Folder() + "/www/files/package.bin", mirrorPackage);
    }
    bool Ready() const { return files.Ready() && mirror.Ready(); }

    const std::string package;
    const std::string mirrorPackage;

private:
    LinuxPeer files;
    LinuxPeer mirror;
};

struct Fetch {
    int32_t sendResult;
    uint32_t position;
    std::string body;
    int32_t endResult;
};

Fetch FetchUrl(const char* url, uint32_t resumeOffset)
{
    HttpDownloader downloader;
    downloader.SetUrl(url);
    downloader.SetResumeOffset(resumeOffset);
    Fetch fetch = {downloader.SendRequest(true), 0, "", 0};
    if (fetch.sendResult == 0) {
        fetch.position = downloader.GetPosition();
        fetch.endResult = ReadToEnd(downloader, fetch.body);
    }
    return fetch;
}

}  // namespace

TEST(HttpServers, NginxServesWholeResumedRedirectedAndChunkedFiles)
{
    struct Case {
        const char* name;
        const char* url;
        uint32_t resumeOffset;
        int32_t sendResult;
        uint32_t position;
        // Where the body lies in the file that the case expects.
        bool fromMirror;
        size_t bodyStart;
    };
    const Case cases[] = {
        {"whole file", "http://files.quorvalent.test/files/package.bin", 0, 0, 0, false, 0},
        {"resumed: exactly the missing bytes", "http://files.quorvalent.test/files/package.bin", 123457, 0,
         123457, false, 123457},
        {"chunked body", "http://files.quorvalent.test/chunked/package.bin", 0, 0, 0, false, 0},
        {"one redirect followed", "http://files.quorvalent.test/moved", 0, 0, 0, true, 0},
        {"redirect followed with its range", "http://files.quorvalent.test/moved", 1000, 0, 1000, true, 1000},
        {"second redirect refused", "http://files.quorvalent.test/moved-twice", 0, -3, 0, false, 0},
        {"relative redirect refused", "http://files.quorvalent.test/moved-relative", 0, -3, 0, false, 0},
        {"missing file", "http://files.quorvalent.test/files/missing.bin", 0, -404, 0, false, 0},
    };
    WinsockSession winsock;
    UseNoProxy();
    WebServers servers;
    ASSERT_TRUE(servers.Ready());
    for (const Case& c : cases) {
        Fetch fetch = FetchUrl(c.url, c.resumeOffset);
        EXPECT_EQ(fetch.sendResult, c.sendResult) << c.name;
        if (c.sendResult != 0)
            continue;
        const std::string& file = c.fromMirror ? servers.mirrorPackage : servers.package;
        EXPECT_EQ(fetch.position, c.position) << c.name;
        EXPECT_EQ(fetch.endResult, -1) << c.name;
        EXPECT_TRUE(fetch.body == file.substr(c.bodyStart)) << c.name << ": " << fetch.body.size() << " bytes";
    }
}

TEST(HttpServers, DownloadsThroughHttpAndSocksProxies)
{
    struct Case {
        const char* name;
        bool http;  // else SOCKS
        uint8_t version;
        const char* host;
        const char* user;
        const char* password;
        int32_t sendResult;
        const char* alertTitle;
    };
    // danted checks that its address is one of an interface's, which only
    // the loopback's first address is.
    const Case cases[] = {
        {"tinyproxy, credentials accepted after the 407", true, 0, "proxy.quorvalent.test", "user", "secret", 0, ""},
        // tinyproxy answers credentials it refuses with 401, which is no
        // request to authenticate: the download ends with that status.
        {"tinyproxy, wrong credentials end the download", true, 0, "proxy.quorvalent.test", "user", "wrong", -401,
         ""},
        {"microsocks, SOCKS 5 with password", false, 5, "socks.quorvalent.test", "user", "secret", 0, ""},
        {"microsocks, wrong password", false, 5, "socks.quorvalent.test", "user", "wrong", -1,
         "SOCKS Proxy: Invalid username or password"},
        {"danted, SOCKS 4", false, 4, "127.0.0.1", "", "", 0, ""},
        {"danted, SOCKS 5", false, 5, "127.0.0.1", "", "", 0, ""},
    };
    WinsockSession winsock;
    WebServers servers;
    LinuxPeer tinyproxy("tinyproxy", "127.0.0.20", 3128, {"user", "secret"});
    LinuxPeer microsocks("microsocks", "127.0.0.30", 1080, {"user", "secret"});
    LinuxPeer danted("danted", "127.0.0.1", 1080);
    ASSERT_TRUE(servers.Ready());
    ASSERT_TRUE(tinyproxy.Ready());
    ASSERT_TRUE(microsocks.Ready());
    ASSERT_TRUE(danted.Ready());
    for (const Case& c : cases) {
        UseNoProxy();
        if (c.http) {
            UseHttpProxy(c.host, 3128, c.user, c.password);
            // The SOCKS proxy points nowhere: the HTTP proxy must be reached directly.
            UseSocksProxy(5, "127.0.0.1", 1081, "", "");
        } else {
            UseSocksProxy(c.version, c.host, 1080, c.user, c.password);
        }
        testing::internal::CaptureStderr();
        Fetch fetch = FetchUrl("http://files.quorvalent.test/files/package.bin", 4096);
        std::string alerts = testing::internal::GetCapturedStderr();
        EXPECT_EQ(fetch.sendResult, c.sendResult) << c.name;
        if (c.alertTitle[0])
            EXPECT_NE(alerts.find(c.alertTitle), std::string::npos) << c.name;
        else
            EXPECT_EQ(alerts, "") << c.name;
        if (c.sendResult == 0) {
            EXPECT_EQ(fetch.position, 4096u) << c.name;
            EXPECT_TRUE(fetch.body == servers.package.substr(4096)) << c.name;
        }
    }
}
