// TcpConnection: a Connection over one blocking IPv4 TCP socket of Windows
// Sockets 1.1. The socket layer must have been initialised (WSAStartup) by the
// application. Created on the heap, destroyed through Connection's virtual
// destructor; it serves one connection and cannot connect again once closed.
#pragma once

// windows.h brings winsock.h, which must come before the C library headers.
#include <windows.h>

#include <cstdint>

#include "base/error_code.h"
#include "net/connection.h"

// How long the transport waits where the system alone would wait without
// end, in milliseconds. Tests shorten them; nothing else changes them.
struct TransportTimeLimits {
    // A connect that has not completed by then fails with -1.
    uint32_t connectMs;
    // A receive that gets no byte for that long fails with -255.
    uint32_t receiveIdleMs;
};

// The limits in force: 30 000 and 60 000 unless a test changed them.
TransportTimeLimits CurrentTransportTimeLimits();
// Tests only, before creating the connections they steer; the receive limit
// is given to each socket when it is created.
void SetTransportTimeLimits(TransportTimeLimits limits);

class TcpConnection : public Connection {
public:
    // Creates the socket with TCP_NODELAY; throws -3 when none can be made.
    TcpConnection();
    // Closes the socket.
    ~TcpConnection() override;

    // A failed send throws -2 after Close, otherwise the system's error code.
    void Write(const void* data, uint32_t length) override;
    // The peer's close throws -1; a failed receive throws -2 after Close,
    // -255 after the receive idle limit, otherwise the system's error code.
    uint32_t Read(void* buffer, uint32_t length) override;
    // The whole line shares one budget of 30 000 ms on LineClock from the
    // call on; a line not complete by then throws -255.
    void ReadLine(char* buffer, uint32_t size) override;
    // Marks the connection aborted and closes the socket once.
    void Close() override;
    uint32_t ResolveHost(const char* name) override;
    // Resolves the host, connects within the connect limit and records both
    // addresses. Every failure closes the socket and throws -1.
    void Connect(const char* host, uint16_t port) override;

    SOCKET socketHandle;
    // Set by Close: failures of sends and receives are then cancellations.
    bool aborted;

private:
    // True once closesocket has been called: the handle may since belong to
    // another socket, so it is never used or closed again.
    bool socketReleased;

    void ConnectWithinLimit(const sockaddr_in& address);
    void WaitUntilReadable(uint32_t start);
    // The code of a failed send or receive: -2 after Close, else the
    // system's error, or -255 for a receive that met the idle limit.
    ErrorCode FailureCode(bool receiving) const;
};
