#include "tests/support/scripted_peer.h"

SOCKET BoundSocket(const char* address, uint16_t port, int type, int backlog)
{
    SOCKET handle = socket(AF_INET, type, 0);
    // A relay made again at once must not find its port still taken.
    BOOL reuse = TRUE;
    setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in local = {AF_INET, htons(port), {}, {}};
    local.sin_addr.s_addr = inet_addr(address);
    if (bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
        (type != SOCK_STREAM || listen(handle, backlog) == 0))
        return handle;
    closesocket(handle);
    return INVALID_SOCKET;
}

int Readable(SOCKET first, SOCKET second)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(first, &readable);
    FD_SET(second, &readable);
    timeval pause = {0, 50000};
    if (select(0, &readable, nullptr, nullptr, &pause) <= 0)
        return 0;
    return (FD_ISSET(first, &readable) ? 1 : 0) | (FD_ISSET(second, &readable) ? 2 : 0);
}

WinsockSession::WinsockSession()
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
}

WinsockSession::~WinsockSession() { WSACleanup(); }
