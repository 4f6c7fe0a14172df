// TcpConnection and name resolution over real sockets on the test's own
// loopback: the test holds the server's end of each connection itself.
#include "tests/support/gtest.h"

#include "net/tcp_connection.h"

#include "net/host_address.h"
#include "tests/support/memory_peer.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_env.h"

#include <memory>
#include <string>
#include <vector>

namespace {

const char kServer[] = "127.0.0.10";  // files.quorvalent.test
const uint16_t kPort = 7000;

// A socket bound to address and port, listening when it is a stream socket;
// the connections it accepted close with it.
struct Loopback {
    Loopback(const char* address, uint16_t port, int type = SOCK_STREAM, int backlog = 8)
        : handle(socket(AF_INET, type, 0))
    {
        sockaddr_in local = {};
        local.sin_family = AF_INET;
        local.sin_port = htons(port);
        local.sin_addr.s_addr = inet_addr(address);
        bound = !bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof local) &&
                (type != SOCK_STREAM || !listen(handle, backlog));
    }
    ~Loopback()
    {
        for (SOCKET peer : accepted) closesocket(peer);
        closesocket(handle);
    }
    // Takes the next connection, sends it the bytes and, if asked, ends its side.
    void Serve(const std::string& bytes, bool end = false)
    {
        accepted.push_back(accept(handle, nullptr, nullptr));
        send(accepted.back(), bytes.data(), static_cast<int>(bytes.size()), 0);
        if (end)
            shutdown(accepted.back(), 1);  // SD_SEND
    }

    SOCKET handle;
    bool bound;
    std::vector<SOCKET> accepted;
};

std::string Shown(ErrorCode code) { return code ? "failed " + std::to_string(code) : "ok"; }

}  // namespace

TEST(TcpConnection, EachOperationKeepsItsLimitsAndSaysWhyItFailed)
{
    struct Line {
        const char* name;
        std::string sent;
        uint32_t size;
        uint32_t clockStep;
        std::string shown;  // the line, "|" and the bytes left behind it; or the failure
    };
    const Line lines[] = {
        {"a line feed ends the line", "hello\nworld", 64, 0, "hello\n|world"},
        {"a carriage return is kept", "a\r\nb", 64, 0, "a\r\n|b"},
        {"a long line is cut to size - 1", "abcdef\n", 4, 0, "abc|def\n"},
        {"an exact fit keeps the line feed", "abc\nz", 5, 0, "abc\n|z"},
        {"size 1 stores an empty text", "xyz", 1, 0, "|xyz"},
        {"size 0 stores nothing", "xyz", 0, 0, "#|xyz"},
        {"bytes after the line stay", std::string("ok\n\x01\x02", 5), 64, 0, "ok\n|\x01\x02"},
        // A second per clock reading: the 30 s count from the call, however
        // fast the bytes come; the wait itself ends with what is left of them.
        {"a line complete within the budget", "0123456789abcdefghi\n", 128, 1000, "0123456789abcdefghi\n|"},
        {"bytes keep coming but the line is too slow", std::string(40, 'x') + "\n", 128, 1000, "failed -255"},
        {"a silent server", "", 128, 29990, "failed -255"},
    };
    WinsockSession winsock;
    Loopback server(kServer, kPort);
    ASSERT_TRUE(server.bound);
    for (const Line& c : lines) {
        TcpConnection connection;
        connection.Connect(kServer, kPort);
        server.Serve(c.sent);
        char line[128] = "#";
        size_t bar = c.shown.find('|');
        std::string rest(bar == std::string::npos ? 0 : c.shown.size() - bar - 1, '\0');
        ScopedNetTiming clock(c.clockStep);
        ErrorCode code = ThrownCode([&] {
            connection.ReadLine(line, c.size);
            connection.ReadExactly(&rest[0], static_cast<uint32_t>(rest.size()));
        });
        EXPECT_EQ(code ? Shown(code) : line + ("|" + rest), c.shown) << c.name;
    }

    // The peer's close; a local Close, after which the connection never again
    // touches its released handle, which a later socket may hold; the idle limit.
    ScopedNetTiming idleLimit(0, 30000, 300);
    char bytes[4], peer[16];
    TcpConnection closedByPeer, closedHere;
    closedByPeer.Connect(kServer, kPort);
    server.Serve("ab", true);
    closedHere.Connect(kServer, kPort);
    server.Serve("");
    closedHere.Close();
    TcpConnection later;
    later.Connect("files.quorvalent.test", kPort);
    server.Serve("z");
    closedHere.Close();
    FormatIPv4(peer, later.peerAddress);
    std::string failures = Shown(ThrownCode([&] { closedByPeer.ReadExactly(bytes, 3); }));
    failures += ", " + Shown(ThrownCode([&] { closedHere.Read(bytes, 1); }));
    failures += ", " + Shown(ThrownCode([&] { closedHere.WriteString("x"); }));
    failures += ", from " + std::to_string(later.localAddress >> 24) + " to " + peer;
    failures += ", read 0: " + std::to_string(later.Read(bytes, 0));
    failures += ", " + Shown(ThrownCode([&] { later.ReadExactly(bytes, 2); }));
    failures += " after " + std::string(1, bytes[0]);
    EXPECT_EQ(failures,
              "failed -1, failed -2, failed -2, from 127 to 127.0.0.10, read 0: 0, failed -255 after z");

    // After a failed connect a connection stays closed, even towards a peer
    // that would accept.
    for (const char* host : {"nowhere.quorvalent.test", "127.0.0.11"}) {
        TcpConnection connection;
        std::string shown = Shown(ThrownCode([&] { connection.Connect(host, kPort); }));
        shown += connection.closed ? " closed, " : " open, ";
        EXPECT_EQ(shown + Shown(ThrownCode([&] { connection.Connect(kServer, kPort); })),
                  "failed -1 closed, failed -1")
            << host;
    }

    // Dotted text is used as it is; 255.255.255.255, which inet_addr cannot
    // tell from its error value, goes to the lookup, which reads it the same.
    const char* const names[] = {"127.0.0.10",
                                 "10.1.2.3",
                                 "files.quorvalent.test",
                                 "MIRROR.quorvalent.test",
                                 "255.255.255.255",
                                 "nowhere.quorvalent.test",
                                 ""};
    std::string resolved;
    for (const char* name : names) {
        WSASetLastError(0);
        uint32_t address = 0;
        char printed[16] = "";
        ErrorCode code = ThrownCode([&] { address = ResolveHostAddress(name); });
        int length = FormatIPv4(printed, address);
        resolved += code ? Shown(code) + " " + std::to_string(WSAGetLastError()) + ", "
                         : printed + std::string(" ") + std::to_string(length) + ", ";
    }
    EXPECT_EQ(resolved,
              "127.0.0.10 10, 10.1.2.3 8, 127.0.0.10 10, 127.0.0.11 10, 255.255.255.255 15, failed -1 10022, "
              "failed -1 10022, ");
}

TEST(TcpConnection, ConnectAndLookupGiveUpAtTheConnectLimit)
{
    WinsockSession winsock;
    // A listener that never accepts, with its queue filled: further
    // handshakes get no answer and the connect waits.
    Loopback listener(kServer, kPort, SOCK_STREAM, 1);
    ASSERT_TRUE(listener.bound);
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

    // A name server that takes every question and answers none: the lookup
    // ends at the connect limit, not after the resolver's 5 s per try.
    Loopback silentNameServer("127.0.0.53", 53, SOCK_DGRAM);
    std::string conf = TestRoot() + "/resolv.conf";
    ASSERT_TRUE(silentNameServer.bound && WriteWholeFile(WindowsPath(conf), "nameserver 127.0.0.53\n"));
    ASSERT_EQ(RunHost("mount --bind " + ShellQuoted(conf) + " /etc/resolv.conf").exitCode, 0);
    start = GetTickCount();
    EXPECT_EQ(ThrownCode([] { ResolveHostAddress("unanswered.quorvalent.test"); }), kErrorConnection);
    EXPECT_LT(GetTickCount() - start, 4000u);
    RunHost("umount /etc/resolv.conf");
}
