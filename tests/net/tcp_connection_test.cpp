#include "tests/support/gtest.h"

#include "net/tcp_connection.h"

#include "net/host_address.h"
#include "tests/support/memory_peer.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_env.h"

#include <cstring>
#include <memory>
#include <string>

namespace {

const char kServer[] = "127.0.0.10";
const uint16_t kPort = 7000;

}  // namespace

TEST(TcpConnection, ReadLineStopsAtLineFeedSizeOrBudgetAndLeavesTheRest)
{
    struct Case {
        const char* name;
        std::string sent;
        uint32_t size;
        uint32_t clockStep;
        ErrorCode result;
        const char* line;
        std::string rest;
    };
    const Case cases[] = {
        {"line feed ends the line", "hello\nworld", 64, 0, 0, "hello\n", "world"},
        {"carriage return is kept", "a\r\nb", 64, 0, 0, "a\r\n", "b"},
        {"long line is cut to size - 1", "abcdef\n", 4, 0, 0, "abc", "def\n"},
        {"exact fit keeps the line feed", "abc\nz", 5, 0, 0, "abc\n", "z"},
        {"size 1 stores an empty text", "xyz", 1, 0, 0, "", "xyz"},
        {"size 0 stores nothing", "xyz", 0, 0, 0, "#", "xyz"},
        {"bytes after the line stay", std::string("ok\n\x01\x02", 5), 64, 0, 0, "ok\n", "\x01\x02"},
        // Each clock reading costs a second: 20 bytes fit in the 30 s budget.
        {"line complete within the budget", "0123456789abcdefghi\n", 128, 1000, 0, "0123456789abcdefghi\n",
         ""},
        {"bytes keep coming but the line is too slow", std::string(40, 'x') + "\n", 128, 1000,
         kErrorLineTimeout, "#", ""},
        // The wait itself is bounded by what is left of the budget.
        {"silent server", "", 128, 29990, kErrorLineTimeout, "#", ""},
    };
    WinsockSession winsock;
    for (const Case& c : cases) {
        ScriptedPeer peer(kServer, kPort, {{Trickle(c.sent, c.clockStep ? 2 : 0), WaitForClose()}});
        TcpConnection connection;
        connection.Connect(kServer, kPort);
        char line[128] = "#";
        {
            ScopedNetTiming clock(c.clockStep);
            EXPECT_EQ(ThrownCode([&] { connection.ReadLine(line, c.size); }), c.result) << c.name;
        }
        if (c.result == 0) {
            EXPECT_STREQ(line, c.line) << c.name;
            std::string rest(c.rest.size(), '\0');
            connection.ReadExactly(&rest[0], static_cast<uint32_t>(rest.size()));
            EXPECT_EQ(rest, c.rest) << c.name;
        }
        connection.Close();
    }
}

TEST(TcpConnection, ReadAndWriteReportWhyTheyFailed)
{
    WinsockSession winsock;
    char bytes[8];
    {
        ScriptedPeer peer(kServer, kPort, {{Send("ab")}});
        TcpConnection connection;
        connection.Connect(kServer, kPort);
        EXPECT_EQ(connection.Read(bytes, 0), 0u) << "length 0 does not block";
        connection.ReadExactly(bytes, 2);
        EXPECT_EQ(ThrownCode([&] { connection.Read(bytes, 1); }), kErrorConnection) << "peer closed";
    }
    {
        ScriptedPeer peer(kServer, kPort, {{WaitForClose()}});
        TcpConnection connection;
        connection.Connect(kServer, kPort);
        connection.Close();
        EXPECT_EQ(ThrownCode([&] { connection.Read(bytes, 1); }), kErrorCancelled);
        EXPECT_EQ(ThrownCode([&] { connection.WriteString("x"); }), kErrorCancelled);
    }
    ScopedNetTiming limits(0, 30000, 300);
    ScriptedPeer peer(kServer, kPort, {{WaitForClose()}});
    TcpConnection connection;
    connection.Connect(kServer, kPort);
    EXPECT_EQ(ThrownCode([&] { connection.ReadExactly(bytes, 4); }), kErrorLineTimeout) << "silent peer";
}

TEST(TcpConnection, FailedConnectClosesForGoodAndClosingTwiceLeavesALaterSocketAlone)
{
    WinsockSession winsock;
    ScriptedPeer peer(kServer, kPort, {{Send("ok"), WaitForClose()}});
    for (const char* host : {"nowhere.quorvalent.test", "127.0.0.11"}) {
        TcpConnection connection;
        EXPECT_EQ(ThrownCode([&] { connection.Connect(host, kPort); }), kErrorConnection) << host;
        EXPECT_TRUE(connection.closed) << host;
        // The object serves one connection: even a reachable peer is refused now.
        EXPECT_EQ(ThrownCode([&] { connection.Connect(kServer, kPort); }), kErrorConnection) << host;
    }
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
    ScopedNetTiming limits(0, 300);
    std::unique_ptr<TcpConnection> fillers[4];
    for (auto& filler : fillers) {
        filler.reset(new TcpConnection);
        ThrownCode([&] { filler->Connect(kServer, kPort); });
    }
    TcpConnection connection;
    DWORD start = GetTickCount();
    EXPECT_EQ(ThrownCode([&] { connection.Connect(kServer, kPort); }), kErrorConnection);
    EXPECT_LT(GetTickCount() - start, 10000u);
    closesocket(listener);
}

TEST(HostAddress, ResolvesDottedTextAsIsAndNamesAndPrintsMostSignificantByteFirst)
{
    struct Case {
        const char* name;
        uint32_t address;
        const char* printed;
    };
    const Case cases[] = {
        {"127.0.0.10", 0x7F00000A, "127.0.0.10"},
        {"10.1.2.3", 0x0A010203, "10.1.2.3"},  // never looked up, never contacted
        {"files.quorvalent.test", 0x7F00000A, "127.0.0.10"},
        {"MIRROR.quorvalent.test", 0x7F00000B, "127.0.0.11"},
        // inet_addr cannot tell this text from its error value, so it goes
        // to the name lookup, which reads it as the same address.
        {"255.255.255.255", 0xFFFFFFFF, "255.255.255.255"},
        {"nowhere.quorvalent.test", 0, nullptr},
        {"", 0, nullptr},
    };
    WinsockSession winsock;
    for (const Case& c : cases) {
        WSASetLastError(0);
        uint32_t address = 0;
        EXPECT_EQ(ThrownCode([&] { address = ResolveHostAddress(c.name); }), c.printed ? 0 : kErrorConnection)
            << c.name;
        EXPECT_EQ(address, c.address) << c.name;
        char out[16] = "";
        if (!c.printed) {
            EXPECT_EQ(WSAGetLastError(), WSAEINVAL) << c.name;
        } else {
            EXPECT_EQ(FormatIPv4(out, address), static_cast<int>(std::strlen(c.printed))) << c.name;
            EXPECT_STREQ(out, c.printed) << c.name;
        }
    }
}

TEST(HostAddress, ALookupThatGetsNoAnswerEndsWithTheConnectLimit)
{
    WinsockSession winsock;
    // A name server that takes every question and answers none.
    SOCKET silent = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(53);
    local.sin_addr.s_addr = inet_addr("127.0.0.53");
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    std::string conf = TestRoot() + "/resolv.conf";
    ASSERT_TRUE(WriteWholeFile(WindowsPath(conf), "nameserver 127.0.0.53\n"));
    ASSERT_EQ(RunHost("mount --bind " + ShellQuoted(conf) + " /etc/resolv.conf").exitCode, 0);
    ScopedNetTiming limits(0, 300);
    DWORD start = GetTickCount();
    EXPECT_EQ(ThrownCode([] { ResolveHostAddress("unanswered.quorvalent.test"); }), kErrorConnection);
    // The resolver itself waits 5 s for each of its tries.
    EXPECT_LT(GetTickCount() - start, 4000u);
    RunHost("umount /etc/resolv.conf");
    closesocket(silent);
}
