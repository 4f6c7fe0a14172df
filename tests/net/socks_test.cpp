#include "tests/support/gtest.h"

#include "net/socks.h"

#include "base/error_code.h"
#include "tests/support/memory_peer.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/test_env.h"

#include <string>
#include <vector>

namespace {

// files.quorvalent.test is 127.0.0.10; port 8080 is 1F 90.
const std::string kSocks4Request("\x04\x01\x1F\x90\x7F\x00\x00\x0A\x00", 9);
const std::string kGreeting("\x05\x02\x00\x02", 4);
const std::string kConnect("\x05\x01\x00\x01\x7F\x00\x00\x0A\x1F\x90", 10);
const std::string kBoundIPv4("\x05\x00\x00\x01\x7F\x00\x00\x01\x04\x38", 10);

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values) bytes.push_back(static_cast<char>(value));
    return bytes;
}

std::string Alert(const std::string& title)
{
    if (title.empty())
        return "";
    return "SOCKS Proxy: " + title +
           ": Check with your ISP or network administrator to make sure you have the correct proxy "
           "settings\n";
}

// The proxy's replies, then "DEST" from the destination; what the client
// must send, the result of ConnectVia and the alert it shows.
struct Negotiation {
    std::string name;
    uint8_t version;
    const char* user;
    std::string replies;
    std::string request;
    ErrorCode result;
    std::string alert;
};

}  // namespace

TEST(Socks, NegotiatesAsTheProxyChoosesAndReadsExactlyItsReplies)
{
    const std::string userPassword = Bytes({1, 4}) + "user" + Bytes({6}) + "secret";
    std::vector<Negotiation> cases = {
        {"4: granted, rest of the reply ignored", 4, "user", Bytes({0, 0x5A, 1, 2, 3, 4, 5, 6}),
         kSocks4Request, 0, ""},
        {"4: rejected", 4, "", Bytes({0, 0x5B, 0, 0, 0, 0, 0, 0}), kSocks4Request, kErrorConnection, ""},
        {"4: unknown reply version", 4, "", Bytes({4, 0x5A, 0, 0, 0, 0, 0, 0}), kSocks4Request,
         kErrorConnection, ""},
        {"4: reply cut short", 4, "", Bytes({0, 0x5A, 0}), kSocks4Request, kErrorConnection, ""},
        {"5: no authentication chosen, credentials unsent", 5, "user", Bytes({5, 0}) + kBoundIPv4,
         kGreeting + kConnect, 0, ""},
        {"5: user name and password", 5, "user", Bytes({5, 2, 1, 0}) + kBoundIPv4,
         kGreeting + userPassword + kConnect, 0, ""},
        {"5: empty user name and password", 5, "", Bytes({5, 2, 1, 0}) + kBoundIPv4,
         kGreeting + Bytes({1, 0, 0}) + kConnect, 0, ""},
        {"5: password refused", 5, "user", Bytes({5, 2, 1, 1}), kGreeting + userPassword, kErrorConnection,
         Alert("Invalid username or password")},
        {"5: no acceptable method", 5, "user", Bytes({5, 0xFF}), kGreeting, kErrorConnection,
         Alert("Unacceptable method")},
        {"5: bound address as a name of 10 bytes", 5, "",
         Bytes({5, 0, 5, 0, 0, 3, 10}) + "0123456789" + Bytes({0, 80}), kGreeting + kConnect, 0, ""},
        {"5: bound IPv6 address", 5, "", Bytes({5, 0, 5, 0, 0, 4}) + std::string(18, '\x01'),
         kGreeting + kConnect, 0, ""},
        {"5: unknown address type, nothing more to drop", 5, "", Bytes({5, 0, 5, 0, 0, 9}),
         kGreeting + kConnect, 0, ""},
        {"5: proxy closes during the greeting", 5, "", Bytes({5}), kGreeting, kErrorConnection, ""},
    };
    const char* titles[256] = {};
    titles[1] = "SOCKS server failure";
    titles[2] = "Connection not allowed by ruleset";
    titles[7] = "Command not supported";
    titles[8] = "Address type not supported";
    for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 9, 200, 255})
        cases.push_back({"5: refusal " + std::to_string(code), 5, "", Bytes({5, 0, 5, code, 0, 1}),
                         kGreeting + kConnect, kErrorConnection, Alert(titles[code] ? titles[code] : "")});
    UseNoProxy();
    for (const Negotiation& c : cases) {
        UseSocksProxy(c.version, "socks.quorvalent.test", 1080, c.user, c.user[0] ? "secret" : "");
        g_webPeer.Script({c.replies + (c.result == 0 ? "DEST" : "")});
        MemoryConnection connection(g_webPeer);
        std::string destination(4, '\0');
        testing::internal::CaptureStderr();
        EXPECT_EQ(ThrownCode([&] {
                      connection.ConnectVia("files.quorvalent.test", 8080);
                      connection.ReadExactly(&destination[0], 4);
                  }),
                  c.result)
            << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.alert) << c.name;
        EXPECT_EQ(destination, c.result == 0 ? "DEST" : std::string(4, '\0')) << c.name;
        EXPECT_EQ(g_webPeer.targets, std::vector<std::string>{"socks.quorvalent.test:1080"}) << c.name;
        EXPECT_EQ(g_webPeer.sent[0], c.request) << c.name;
    }
}

TEST(ConnectVia, ReachesTheHttpProxyDirectlyAndResolvesBeforeTheSocksProxy)
{
    UseHttpProxy("PROXY.Quorvalent.Test", 3128, "", "");
    UseSocksProxy(5, "socks.quorvalent.test", 1080, "", "");
    g_webPeer.Script({""});
    MemoryConnection direct(g_webPeer);
    EXPECT_EQ(ThrownCode([&] { direct.ConnectVia("proxy.quorvalent.test", 3128); }), 0);
    EXPECT_EQ(g_webPeer.targets, std::vector<std::string>{"proxy.quorvalent.test:3128"});
    g_webPeer.Script({""});
    MemoryConnection unresolved(g_webPeer);
    EXPECT_EQ(ThrownCode([&] { unresolved.ConnectVia("nowhere.quorvalent.test", 80); }), kErrorConnection);
    EXPECT_TRUE(g_webPeer.targets.empty()) << "the SOCKS proxy heard of it";
    EXPECT_TRUE(g_webPeer.sent.empty());
}
