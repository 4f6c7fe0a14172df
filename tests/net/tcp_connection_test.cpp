#include "tests/support/gtest.h"

#include "net/tcp_connection.h"

#include "net/host_address.h"
#include "net/milli_clock.h"
#include "tests/support/scripted_peer.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace {

const char kServer[] = "127.0.0.10";
const uint16_t kPort = 7000;

// Runs the action and gives back the ErrorCode it threw, or 0.
ErrorCode CodeOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (ErrorCode code) {
        return code;
    }
    return 0;
}

// A clock that moves a fixed step on every call, so that the line budget
// runs out after a known number of received bytes.
uint32_t g_fakeNow = 0;
uint32_t g_fakeStep = 0;
uint32_t SteppingClock()
{
    uint32_t now = g_fakeNow;
    g_fakeNow += g_fakeStep;
    return now;
}

struct LineClockGuard {
    explicit LineClockGuard(uint32_t step)
    {
        g_fakeNow = 0;
        g_fakeStep = step;
        SetLineClock(SteppingClock);
    }
    ~LineClockGuard() { SetLineClock(nullptr); }
};

struct TimeLimitsGuard {
    explicit TimeLimitsGuard(TransportTimeLimits limits) : saved(CurrentTransportTimeLimits())
    {
        SetTransportTimeLimits(limits);
    }
    ~TimeLimitsGuard() { SetTransportTimeLimits(saved); }
    TransportTimeLimits saved;
};

}  // namespace

TEST(TcpConnection, ReadLineStopsAtLineFeedOrSizeAndLeavesTheRest)
{
    struct Case {
        const char* name;
        std::string sent;
        uint32_t size;
        const char* line;
        std::string rest;
    };
    const Case cases[] = {
        {"line feed ends the line", "hello\nworld", 64, "hello\n", "world"},
        {"carriage return is kept", "a\r\nb", 64, "a\r\n", "b"},
        {"long line is cut to size - 1", "abcdef\n", 4, "abc", "def\n"},
        {"exact fit keeps the line feed", "abc\nz", 5, "abc\n", "z"},
        {"size 1 stores an empty text", "xyz", 1, "", "xyz"},
        {"size 0 stores nothing", "xyz", 0, "#", "xyz"},
        {"bytes after the line stay", std::string("ok\n\x01\x02", 5), 64, "ok\n", "\x01\x02"},
    };
    WinsockSession winsock;
    for (const Case& c : cases) {
        ScriptedPeer peer(kServer, kPort, {{Send(c.sent), WaitForClose()}});
        ASSERT_TRUE(peer.Listening()) << c.name;
        TcpConnection connection;
        connection.Connect(kServer, kPort);
        char line[64] = "#";
        EXPECT_EQ(CodeOf([&] { connection.ReadLine(line, c.size); }), 0) << c.name;
        EXPECT_STREQ(line, c.line) << c.name;
        std::string rest(c.rest.size(), '\0');
        connection.ReadExactly(&rest[0], static_cast<uint32_t>(rest.size()));
        EXPECT_EQ(rest, c.rest) << c.name;
        connection.Close();
        peer.Finish();
    }
}

TEST(TcpConnection, LineBudgetCountsFromTheStartOfTheCall)
{
    struct Case {
        const char* name;
        uint32_t clockStep;
        std::string trickled;
        ErrorCode expected;
    };
    const Case cases[] = {
        // Each byte costs one clock reading of 1000 ms: 20 bytes fit in the budget.
        {"line complete within the budget", 1000, "0123456789abcdefghi\n", 0},
        {"bytes keep coming but the line is too slow", 1000, std::string(40, 'x') + "\n",
         kErrorLineTimeout},
        // The wait itself is bounded by what is left of the budget.
        {"silent server", 29990, "", kErrorLineTimeout},
    };
    WinsockSession winsock;
    for (const Case& c : cases) {
        ScriptedPeer peer(kServer, kPort, {{Trickle(c.trickled, 2), WaitForClose()}});
        TcpConnection connection;
        connection.Connect(kServer, kPort);
        LineClockGuard clock(c.clockStep);
        char line[128];
        EXPECT_EQ(CodeOf([&] { connection.ReadLine(line, sizeof line); }), c.expected) << c.name;
        connection.Close();
    }
}

TEST(TcpConnection, ReadAndWriteReportWhyTheyFailed)
{
    WinsockSession winsock;
    {
        ScriptedPeer peer(kServer, kPort, {{Send("ab")}});
        TcpConnection connection;
        connection.Connect(kServer, kPort);
        char bytes[8];
        EXPECT_EQ(connection.Read(bytes, 0), 0u) << "length 0 does not block";
        connection.ReadExactly(bytes, 2);
        EXPECT_EQ(CodeOf([&] { connection.Read(bytes, 1); }), kErrorConnection) << "peer closed";
    }
    {
        ScriptedPeer peer(kServer, kPort, {{WaitForClose()}});
        TcpConnection connection;
        connection.Connect(kServer, kPort);
        connection.Close();
        char byte;
        EXPECT_EQ(CodeOf([&] { connection.Read(&byte, 1); }), kErrorCancelled);
        EXPECT_EQ(CodeOf([&] { connection.WriteString("x"); }), kErrorCancelled);
    }
    {
        TimeLimitsGuard limits({30000, 300});
        ScriptedPeer peer(kServer, kPort, {{WaitForClose()}});
        TcpConnection connection;
        connection.Connect(kServer, kPort);
        char bytes[4];
        EXPECT_EQ(CodeOf([&] { connection.ReadExactly(bytes, 4); }), kErrorLineTimeout) << "silent peer";
    }
}

TEST(TcpConnection, FailedConnectClosesForGood)
{
    struct Case {
        const char* name;
        const char* host;
        uint16_t port;
    };
    const Case cases[] = {
        {"name does not resolve", "nowhere.quorvalent.test", kPort},
        {"nothing listens", kServer, 7001},
    };
    WinsockSession winsock;
    ScriptedPeer peer(kServer, kPort, {{WaitForClose()}});
    for (const Case& c : cases) {
        TcpConnection connection;
        EXPECT_EQ(CodeOf([&] { connection.Connect(c.host, c.port); }), kErrorConnection) << c.name;
        EXPECT_TRUE(connection.closed) << c.name;
        // The object serves one connection: even a reachable peer is refused now.
        EXPECT_EQ(CodeOf([&] { connection.Connect(kServer, kPort); }), kErrorConnection) << c.name;
    }
}

TEST(TcpConnection, ConnectsByNameAndClosingTwiceLeavesALaterSocketAlone)
{
    WinsockSession winsock;
    ScriptedPeer peer(kServer, kPort, {{Send("ok"), WaitForClose()}});
    TcpConnection first;
    first.Close();
    // The system may hand the released handle to the next socket.
    TcpConnection second;
    first.Close();
    delete new TcpConnection;  // another owner's socket comes and goes
    second.Connect("files.quorvalent.test", kPort);
    EXPECT_EQ(second.peerAddress, 0x7F00000Au);
    EXPECT_EQ(second.localAddress >> 24, 127u);
    char reply[2];
    second.ReadExactly(reply, 2);
    EXPECT_EQ(std::string(reply, 2), "ok");
}

TEST(TcpConnection, ConnectGivesUpAfterTheConnectLimit)
{
    WinsockSession winsock;
    // A listener that never accepts, with its queue filled: further
    // handshakes get no answer and the connect waits.
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(kPort);
    local.sin_addr.s_addr = inet_addr(kServer);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    std::unique_ptr<TcpConnection> fillers[4];
    TimeLimitsGuard limits({300, 60000});
    for (auto& filler : fillers) {
        filler.reset(new TcpConnection);
        try {
            filler->Connect(kServer, kPort);
        } catch (ErrorCode) {
        }
    }
    TcpConnection connection;
    DWORD start = GetTickCount();
    EXPECT_EQ(CodeOf([&] { connection.Connect(kServer, kPort); }), kErrorConnection);
    EXPECT_LT(GetTickCount() - start, 10000u);
    closesocket(listener);
}

TEST(ResolveHostAddress, TakesDottedTextAsIsAndLooksUpNames)
{
    struct Case {
        const char* name;
        uint32_t address;
        bool resolves;
    };
    const Case cases[] = {
        {"127.0.0.10", 0x7F00000A, true},
        {"10.1.2.3", 0x0A010203, true},  // never looked up, never contacted
        {"files.quorvalent.test", 0x7F00000A, true},
        {"MIRROR.quorvalent.test", 0x7F00000B, true},
        // inet_addr cannot tell this text from its error value, so it goes
        // to the name lookup, which reads it as the same address.
        {"255.255.255.255", 0xFFFFFFFF, true},
        {"nowhere.quorvalent.test", 0, false},
        {"", 0, false},
    };
    WinsockSession winsock;
    for (const Case& c : cases) {
        WSASetLastError(0);
        try {
            EXPECT_EQ(ResolveHostAddress(c.name), c.address) << c.name;
            EXPECT_TRUE(c.resolves) << c.name;
        } catch (ErrorCode code) {
            EXPECT_FALSE(c.resolves) << c.name;
            EXPECT_EQ(code, kErrorConnection) << c.name;
            EXPECT_EQ(WSAGetLastError(), WSAEINVAL) << c.name;
        }
    }
}

TEST(FormatIPv4, WritesMostSignificantByteFirst)
{
    struct Case {
        uint32_t address;
        const char* text;
    };
    const Case cases[] = {
        {0x7F000001, "127.0.0.1"},
        {0xFFFFFFFF, "255.255.255.255"},
        {0xC0A80A01, "192.168.10.1"},
    };
    for (const Case& c : cases) {
        char out[16];
        EXPECT_EQ(FormatIPv4(out, c.address), static_cast<int>(std::strlen(c.text)));
        EXPECT_STREQ(out, c.text);
    }
}
