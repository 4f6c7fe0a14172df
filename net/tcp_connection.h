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

class TcpConnection : public Connection {
public:
    // Creates the socket with TCP_NODELAY; throws -3 when none can be made.
    TcpConnection();
    ~TcpConnection() override;

    // Throws -2 after Close, whose socket it never touches again; a failed
    // send otherwise throws the system's error code.
    void Write(const void* data, uint32_t length) override;
    // Throws -2 after Close, as Write; the peer's close throws -1, a receive
    // that meets the idle limit -255, another failure the system's error code.
    uint32_t Read(void* buffer, uint32_t length) override;
    void ReadLine(char* buffer, uint32_t size) override;
    // Marks the connection aborted and closes the socket once.
    void Close() override;
    uint32_t ResolveHost(const char* name) override;
    // Resolves the host, connects within the connect limit and records both
    // addresses. Every failure closes the socket and throws -1.
    void Connect(const char* host, uint16_t port) override;
    // Waits with select for what is left of the budget.
    void WaitUntilReadable(uint32_t start, uint32_t budgetMs) override;

protected:
    // One receive of all of the line's bytes that have arrived (MSG_PEEK
    // first, so nothing past its line feed is taken), the time limit checked
    // before each byte as one-byte receives would; -255 when it runs out.
    uint32_t ReadLineBytes(char* buffer, uint32_t length, uint32_t start) override;

    // The fields keep their order; only the socket stays inside the class.
private:
    SOCKET socketHandle;

public:
    // Set by Close: failures of sends and receives are then cancellations.
    bool aborted;

private:
    // True once closesocket has been called: the handle may since belong to
    // another socket, so it is never used or closed again.
    bool socketReleased;

    void ConnectWithinLimit(const sockaddr_in& address);
    // The code of a failed send or receive: -2 after Close, else the
    // system's error, or -255 for a receive that met the idle limit.
    ErrorCode FailureCode(bool receiving) const;
};
