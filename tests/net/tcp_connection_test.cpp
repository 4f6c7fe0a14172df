// The connect and the name lookup give up at the connect limit instead of
// waiting as long as the system would. The rest of TcpConnection and of name
// resolution are cases of tests/data/tcp/connections.txt.
#include "tests/support/gtest.h"

#include "net/tcp_connection.h"

#include "net/host_address.h"
#include "tests/support/memory_peer.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_env.h"

#include <memory>
#include <string>

namespace {

// A socket bound to the address and port, or INVALID_SOCKET.
SOCKET Bound(const char* address, uint16_t port, int type)
{
    SOCKET handle = socket(AF_INET, type, 0);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = inet_addr(address);
    return bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 ? handle : INVALID_SOCKET;
}

}  // namespace

TEST(TcpConnection, ConnectAndLookupGiveUpAtTheConnectLimit)
{
    WinsockSession winsock;
    // A listener that never accepts, with its queue filled: further
    // handshakes get no answer and the connect waits.
    SOCKET listener = Bound("127.0.0.10", 7000, SOCK_STREAM);
    ASSERT_TRUE(listener != INVALID_SOCKET && listen(listener, 1) == 0);
    ScopedNetTiming limits(0, 300);
    std::unique_ptr<TcpConnection> fillers[4];
    for (auto& filler : fillers) {
        filler.reset(new TcpConnection);
        ThrownCode([&] { filler->Connect("127.0.0.10", 7000); });
    }
    TcpConnection connection;
    DWORD start = GetTickCount();
    EXPECT_EQ(ThrownCode([&] { connection.Connect("127.0.0.10", 7000); }), kErrorConnection);
    EXPECT_LT(GetTickCount() - start, 10000u);

    // A name server that takes every question and answers none: the lookup
    // ends at the connect limit, not after the resolver's 5 s per try.
    SOCKET nameServer = Bound("127.0.0.53", 53, SOCK_DGRAM);
    std::string conf = TestRoot() + "/resolv.conf";
    ASSERT_TRUE(nameServer != INVALID_SOCKET && WriteWholeFile(WindowsPath(conf), "nameserver 127.0.0.53\n"));
    ASSERT_EQ(RunHost("mount --bind " + ShellQuoted(conf) + " /etc/resolv.conf").exitCode, 0);
    start = GetTickCount();
    EXPECT_EQ(ThrownCode([] { ResolveHostAddress("unanswered.quorvalent.test"); }), kErrorConnection);
    EXPECT_LT(GetTickCount() - start, 4000u);
    RunHost("umount /etc/resolv.conf");
    closesocket(nameServer);
    closesocket(listener);
}
