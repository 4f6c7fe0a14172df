// Sockets for tests that serve the product code from inside the test
// process: WinsockSession initialises the socket layer for a test.
#pragma once

#include <windows.h>

#include <cstdint>

// A socket bound to address:port, listening when it is a stream socket; or
// INVALID_SOCKET.
SOCKET BoundSocket(const char* address, uint16_t port, int type = SOCK_STREAM, int backlog = 8);

// Which of the sockets turn readable within 50 ms, so that a stop is seen
// soon: bit 0 for the first, bit 1 for the second.
int Readable(SOCKET first, SOCKET second);

class WinsockSession {
public:
    WinsockSession();
    ~WinsockSession();
};
