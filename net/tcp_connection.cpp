#include "net/tcp_connection.h"

#include "net/host_address.h"
#include "net/milli_clock.h"

namespace {

timeval MillisecondsToTimeval(uint32_t ms)
{
    timeval value;
    value.tv_sec = static_cast<decltype(value.tv_sec)>(ms / 1000);
    value.tv_usec = static_cast<decltype(value.tv_usec)>((ms % 1000) * 1000);
    return value;
}

bool SetBlocking(SOCKET socketHandle, bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(socketHandle, FIONBIO, &nonBlocking) == 0;
}

}  // namespace

TcpConnection::TcpConnection()
    : socketHandle(socket(AF_INET, SOCK_STREAM, 0)), aborted(false), socketReleased(false)
{
    if (socketHandle == INVALID_SOCKET)
        throw ErrorCode(kErrorMalformed);
    int noDelay = 1;
    setsockopt(socketHandle, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    // Without a receive limit a server that goes silent would hold the
    // installer for ever; the system then fails the receive with WSAETIMEDOUT.
    DWORD idleMs = CurrentNetTiming().receiveIdleMs;
    setsockopt(socketHandle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&idleMs), sizeof idleMs);
}

TcpConnection::~TcpConnection() { Close(); }

ErrorCode TcpConnection::FailureCode(bool receiving) const
{
    if (aborted)
        return kErrorCancelled;
    int error = WSAGetLastError();
    // Only receives have a limit of their own (SO_RCVTIMEO).
    return receiving && error == WSAETIMEDOUT ? kErrorLineTimeout : ErrorCode(error);
}

void TcpConnection::Write(const void* data, uint32_t length)
{
    // Once released, the handle may name another connection's socket.
    if (socketReleased)
        throw ErrorCode(kErrorCancelled);
    const char* bytes = static_cast<const char*>(data);
    while (length > 0) {
        int asked = length > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(length);
        int sent = send(socketHandle, bytes, asked, 0);
        if (sent == SOCKET_ERROR)
            throw FailureCode(false);
        bytes += sent;
        length -= static_cast<uint32_t>(sent);
    }
}

uint32_t TcpConnection::Read(void* buffer, uint32_t length)
{
    if (length == 0)
        return 0;
    if (socketReleased)
        throw ErrorCode(kErrorCancelled);
    // recv takes an int: a larger request is served in part, as any
    // receive may be.
    int asked = length > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(length);
    int received = recv(socketHandle, static_cast<char*>(buffer), asked, 0);
    if (received == 0)
        throw ErrorCode(kErrorConnection);
    if (received == SOCKET_ERROR)
        throw FailureCode(true);
    return static_cast<uint32_t>(received);
}

void TcpConnection::WaitUntilReadable(uint32_t start, uint32_t budgetMs)
{
    // The Read that follows reports the close without waiting on a handle
    // that may by now be another socket's.
    if (socketReleased)
        return;
    uint32_t elapsed = NetClock() - start;
    if (elapsed >= budgetMs)
        throw ErrorCode(kErrorLineTimeout);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socketHandle, &readable);
    timeval timeout = MillisecondsToTimeval(budgetMs - elapsed);
    // A select error is left to the receive that follows, which reports the
    // socket's own error.
    if (select(0, &readable, nullptr, nullptr, &timeout) == 0)
        throw ErrorCode(kErrorLineTimeout);
}

uint32_t TcpConnection::ReadLineBytes(char* buffer, uint32_t length, uint32_t start)
{
    // Under Wine a receive and a select each cost a round trip to the
    // server: byte by byte, the headers of one answer took a tenth of a
    // second. The bytes that have arrived are looked at first, so that
    // nothing past the line feed is taken.
    if (socketReleased)
        throw ErrorCode(kErrorCancelled);
    int asked = length > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(length);
    int seen = recv(socketHandle, buffer, asked, MSG_PEEK);
    if (seen == 0)
        throw ErrorCode(kErrorConnection);
    if (seen == SOCKET_ERROR)
        throw FailureCode(true);
    // The first byte was judged by WaitUntilReadable; each further one reads
    // the clock once, as it did when each byte was a receive of its own.
    uint32_t count = 1;
    while (count < static_cast<uint32_t>(seen) && buffer[count - 1] != '\n') {
        if (NetClock() - start >= kLineBudgetMs)
            throw ErrorCode(kErrorLineTimeout);
        ++count;
    }
    return Read(buffer, count);
}

void TcpConnection::ReadLine(char* buffer, uint32_t size) { ReadLineWithinBudget(buffer, size); }

void TcpConnection::Close()
{
    aborted = true;
    closed = true;
    if (!socketReleased) {
        socketReleased = true;
        closesocket(socketHandle);
    }
}

uint32_t TcpConnection::ResolveHost(const char* name) { return ResolveHostAddress(name); }

void TcpConnection::ConnectWithinLimit(const sockaddr_in& address)
{
    // A non-blocking connect waited for with select lets a peer that never
    // answers fail after the connect limit instead of the system's own.
    if (!SetBlocking(socketHandle, false))
        throw ErrorCode(kErrorConnection);
    if (connect(socketHandle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            throw ErrorCode(kErrorConnection);
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socketHandle, &writable);
        FD_SET(socketHandle, &failed);
        timeval timeout = MillisecondsToTimeval(CurrentNetTiming().connectMs);
        if (select(0, nullptr, &writable, &failed, &timeout) != 1 || !FD_ISSET(socketHandle, &writable))
            throw ErrorCode(kErrorConnection);
    }
    if (!SetBlocking(socketHandle, true))
        throw ErrorCode(kErrorConnection);
}

void TcpConnection::Connect(const char* host, uint16_t port)
{
    closed = false;
    aborted = false;
    if (socketReleased) {
        closed = true;
        throw ErrorCode(kErrorConnection);
    }
    try {
        sockaddr_in address;
        memset(&address, 0, sizeof address);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(ResolveHost(host));
        address.sin_port = htons(port);
        ConnectWithinLimit(address);
        sockaddr_in end;
        int endLength = sizeof end;
        if (getpeername(socketHandle, reinterpret_cast<sockaddr*>(&end), &endLength) != 0)
            throw ErrorCode(kErrorConnection);
        peerAddress = ntohl(end.sin_addr.s_addr);
        endLength = sizeof end;
        if (getsockname(socketHandle, reinterpret_cast<sockaddr*>(&end), &endLength) != 0)
            throw ErrorCode(kErrorConnection);
        localAddress = ntohl(end.sin_addr.s_addr);
    } catch (ErrorCode) {
        Close();
        throw ErrorCode(kErrorConnection);
    }
}
