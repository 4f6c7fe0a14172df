// The connect and the name lookup give up at the connect limit instead of
// waiting as long as the system would. The rest of TcpConnection and of name
// resolution are cases of tests/data/tcp/connections.txt.
#include "tests/support/gtest.h"

#include "net/tcp_connection.h"

#include "net/host_address.h"
#include "tests/support/memory_peer.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_env.h"

#include <string>

TEST(TcpConnection, ConnectAndLookupGiveUpAtTheConnectLimit)
{
    WinsockSession winsock;
    // A listener that never accepts, with its queue filled: further
    // handshakes get no answer and the connect waits.
    SOCKET listener = BoundSocket("127.0.0.10", 7000, SOCK_STREAM, 1);
    ASSERT_NE(listener, INVALID_SOCKET);
    ScopedNetTiming limits(0, 300);
    TcpConnection fillers[4];
    for (TcpConnection& filler : fillers) ThrownCode([&] { filler.Connect("127.0.0.10", 7000); });
    TcpConnection connection;
    DWORD start = GetTickCount();
    EXPECT_EQ(ThrownCode([&] { connection.Connect("127.0.0.10", 7000); }), kErrorConnection);
    EXPECT_LT(GetTickCount() - start, 10000u);

    // A name server that takes every question and answers none: the lookup
    // ends at the connect limit, not after the resolver's 5 s per try.
    SOCKET nameServer = BoundSocket("127.0.0.53", 53, SOCK_DGRAM);
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
