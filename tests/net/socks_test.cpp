#include "tests/support/gtest.h"

#include "net/socks.h"

#include "net/tcp_connection.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"

#include <string>
#include <vector>

namespace {

const char kSocksAddress[] = "127.0.0.30";
const uint16_t kSocksPort = 1080;
// files.quorvalent.test is 127.0.0.10; port 8080 is 1F 90.
const char kDestination[] = "files.quorvalent.test";
const uint16_t kDestinationPort = 8080;
const std::string kSocks4Request("\x04\x01\x1F\x90\x7F\x00\x00\x0A\x00", 9);
const std::string kGreeting("\x05\x02\x00\x02", 4);
const std::string kConnectRequest("\x05\x01\x00\x01\x7F\x00\x00\x0A\x1F\x90", 10);
const std::string kBoundIPv4("\x05\x00\x00\x01\x7F\x00\x00\x01\x04\x38", 10);
const std::string kCheckText =
    "Check with your ISP or network administrator to make sure you have the correct proxy settings";

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

struct Outcome {
    ErrorCode code;
    std::string alerts;
    std::string afterNegotiation;
};

// ConnectVia to the destination; on success reads the 4 bytes that the peer
// sends after its negotiation, which must be the destination's first bytes.
Outcome ConnectThroughProxy()
{
    Outcome outcome = {0, "", ""};
    testing::internal::CaptureStderr();
    TcpConnection connection;
    try {
        connection.ConnectVia(kDestination, kDestinationPort);
        outcome.afterNegotiation.resize(4);
        connection.ReadExactly(&outcome.afterNegotiation[0], 4);
    } catch (ErrorCode code) {
        outcome.code = code;
    }
    outcome.alerts = testing::internal::GetCapturedStderr();
    return outcome;
}

std::string Alert(const char* title)
{
    return std::string(title) + ": " + kCheckText + "\n";
}

}  // namespace

TEST(Socks4, SendsTheExactRequestAndNeedsGrant)
{
    struct Case {
        const char* name;
        std::string reply;
        bool thenClose;
        ErrorCode expected;
    };
    const Case cases[] = {
        {"granted, rest of reply ignored", Bytes({0, 0x5A, 1, 2, 3, 4, 5, 6}), false, 0},
        {"rejected", Bytes({0, 0x5B, 0, 0, 0, 0, 0, 0}), false, kErrorConnection},
        {"unknown reply version", Bytes({4, 0x5A, 0, 0, 0, 0, 0, 0}), false, kErrorConnection},
        {"reply cut short", Bytes({0, 0x5A, 0}), true, kErrorConnection},
    };
    WinsockSession winsock;
    UseSocksProxy(4, "socks.quorvalent.test", kSocksPort, "user", "secret");
    for (const Case& c : cases) {
        PeerScript script = {Receive(9), Send(c.reply + "DEST"), WaitForClose()};
        if (c.thenClose)
            script = {Receive(9), Send(c.reply)};
        ScriptedPeer peer(kSocksAddress, kSocksPort, {script});
        Outcome outcome = ConnectThroughProxy();
        EXPECT_EQ(outcome.code, c.expected) << c.name;
        EXPECT_EQ(outcome.alerts, "") << c.name;
        if (c.expected == 0) {
            EXPECT_EQ(outcome.afterNegotiation, "DEST") << c.name;
        }
        peer.Finish();
        EXPECT_EQ(peer.Received(0), kSocks4Request) << c.name << ": no user or password with SOCKS 4";
    }
}

TEST(Socks5, NegotiatesAsTheProxyChooses)
{
    struct Case {
        const char* name;
        const char* user;
        const char* password;
        PeerScript script;
        std::string request;
        ErrorCode expected;
        std::string alerts;
    };
    const std::string userPassword = Bytes({1, 4}) + "user" + Bytes({6}) + "secret";
    const Case cases[] = {
        {"no authentication chosen: credentials stay unsent", "user", "secret",
         {Receive(4), Send(Bytes({5, 0})), Receive(10), Send(kBoundIPv4 + "DEST"), WaitForClose()},
         kGreeting + kConnectRequest, 0, ""},
        {"user name and password", "user", "secret",
         {Receive(4), Send(Bytes({5, 2})), Receive(13), Send(Bytes({1, 0})), Receive(10),
          Send(kBoundIPv4 + "DEST"), WaitForClose()},
         kGreeting + userPassword + kConnectRequest, 0, ""},
        {"empty user name and password", "", "",
         {Receive(4), Send(Bytes({5, 2})), Receive(3), Send(Bytes({1, 0})), Receive(10),
          Send(kBoundIPv4 + "DEST"), WaitForClose()},
         kGreeting + Bytes({1, 0, 0}) + kConnectRequest, 0, ""},
        {"password refused", "user", "wrong",
         {Receive(4), Send(Bytes({5, 2})), Receive(12), Send(Bytes({1, 1})), WaitForClose()},
         kGreeting + Bytes({1, 4}) + "user" + Bytes({5}) + "wrong", kErrorConnection,
         Alert("SOCKS Proxy: Invalid username or password")},
        {"no acceptable method", "user", "secret",
         {Receive(4), Send(Bytes({5, 0xFF})), WaitForClose()}, kGreeting, kErrorConnection,
         Alert("SOCKS Proxy: Unacceptable method")},
        {"bound address as a name of 10 bytes", "", "",
         {Receive(4), Send(Bytes({5, 0})), Receive(10),
          Send(Bytes({5, 0, 0, 3, 10}) + "0123456789" + Bytes({0, 80}) + "DEST"), WaitForClose()},
         kGreeting + kConnectRequest, 0, ""},
        {"bound IPv6 address", "", "",
         {Receive(4), Send(Bytes({5, 0})), Receive(10),
          Send(Bytes({5, 0, 0, 4}) + std::string(18, '\x01') + "DEST"), WaitForClose()},
         kGreeting + kConnectRequest, 0, ""},
        {"unknown address type: nothing more to drop", "", "",
         {Receive(4), Send(Bytes({5, 0})), Receive(10), Send(Bytes({5, 0, 0, 9}) + "DEST"), WaitForClose()},
         kGreeting + kConnectRequest, 0, ""},
        {"proxy closes during the greeting", "", "", {Receive(4), Send(Bytes({5}))}, kGreeting,
         kErrorConnection, ""},
    };
    WinsockSession winsock;
    for (const Case& c : cases) {
        UseSocksProxy(5, "socks.quorvalent.test", kSocksPort, c.user, c.password);
        ScriptedPeer peer(kSocksAddress, kSocksPort, {c.script});
        Outcome outcome = ConnectThroughProxy();
        EXPECT_EQ(outcome.code, c.expected) << c.name;
        EXPECT_EQ(outcome.alerts, c.alerts) << c.name;
        if (c.expected == 0) {
            EXPECT_EQ(outcome.afterNegotiation, "DEST") << c.name;
        }
        peer.Finish();
        EXPECT_EQ(peer.Received(0), c.request) << c.name;
    }
}

TEST(Socks5, EachRefusalCodeFailsWithItsAlert)
{
    const char* titles[256] = {};
    titles[1] = "SOCKS Proxy: SOCKS server failure";
    titles[2] = "SOCKS Proxy: Connection not allowed by ruleset";
    titles[7] = "SOCKS Proxy: Command not supported";
    titles[8] = "SOCKS Proxy: Address type not supported";
    WinsockSession winsock;
    UseSocksProxy(5, "socks.quorvalent.test", kSocksPort, "", "");
    for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 9, 200, 255}) {
        ScriptedPeer peer(kSocksAddress, kSocksPort,
                          {{Receive(4), Send(Bytes({5, 0})), Receive(10), Send(Bytes({5, code, 0, 1})),
                            WaitForClose()}});
        Outcome outcome = ConnectThroughProxy();
        EXPECT_EQ(outcome.code, kErrorConnection) << "code " << code;
        EXPECT_EQ(outcome.alerts, titles[code] ? Alert(titles[code]) : "") << "code " << code;
    }
}

TEST(ConnectVia, ChoosesTheRoute)
{
    WinsockSession winsock;
    // Both proxies on, the destination is the HTTP proxy in other letter case:
    // it is reached directly and the SOCKS proxy hears nothing.
    UseHttpProxy("PROXY.Quorvalent.Test", 3128, "", "");
    UseSocksProxy(5, "socks.quorvalent.test", kSocksPort, "", "");
    {
        ScriptedPeer socks(kSocksAddress, kSocksPort, {{WaitForClose()}});
        ScriptedPeer proxy("127.0.0.20", 3128, {{Send("DIRECT"), WaitForClose()}});
        TcpConnection connection;
        connection.ConnectVia("proxy.quorvalent.test", 3128);
        char reply[6];
        connection.ReadExactly(reply, 6);
        EXPECT_EQ(std::string(reply, 6), "DIRECT");
        connection.Close();
        proxy.Finish();
        socks.Finish(0);
        EXPECT_EQ(socks.Accepted(), 0u);
    }
    // A destination name that does not resolve fails before the proxy is contacted.
    {
        ScriptedPeer socks(kSocksAddress, kSocksPort, {{WaitForClose()}});
        TcpConnection connection;
        ErrorCode code = 0;
        try {
            connection.ConnectVia("nowhere.quorvalent.test", 80);
        } catch (ErrorCode thrown) {
            code = thrown;
        }
        EXPECT_EQ(code, kErrorConnection);
        socks.Finish(0);
        EXPECT_EQ(socks.Accepted(), 0u);
    }
}

