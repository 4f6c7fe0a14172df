// The few Windows Sockets names that winsock_loop_bench.cpp uses, on POSIX
// sockets, so that the same loop also runs as a native Linux program: the
// floor that the machine itself sets, without Wine.
#pragma once

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

typedef int SOCKET;
typedef uint32_t DWORD;
struct WSADATA {};
const SOCKET INVALID_SOCKET = -1;
const int SOCKET_ERROR = -1;

inline int MAKEWORD(int low, int high) { return low | high << 8; }
inline int WSAStartup(int, WSADATA*) { return 0; }
inline int WSACleanup() { return 0; }
inline int WSAGetLastError() { return errno; }
inline int closesocket(SOCKET handle) { return close(handle); }

// SO_RCVTIMEO takes milliseconds in Windows Sockets, a timeval here.
inline int SetReceiveTimeout(SOCKET handle, DWORD milliseconds)
{
    timeval limit = {time_t(milliseconds / 1000), suseconds_t(milliseconds % 1000 * 1000)};
    return setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
}

inline double Seconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}
