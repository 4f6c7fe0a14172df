// Connection: the blocking byte stream that every protocol of the installer
// runs over. The operations throw ErrorCode on failure and return no error
// values. One connection is used by one thread at a time.
#pragma once

#include <cstdint>

class Connection {
public:
    Connection();
    virtual ~Connection();

    virtual void Write(const void* data, uint32_t length) = 0;
    // One receive of 1 to length bytes; 0 only when length is 0.
    virtual uint32_t Read(void* buffer, uint32_t length) = 0;
    // One text line of at most size - 1 bytes, keeping its line feed, stored
    // NUL-terminated; nothing past the line is taken from the stream. Size 0
    // stores nothing. The whole line must arrive within 30 000 ms on
    // NetClock from the call on, else -255.
    virtual void ReadLine(char* buffer, uint32_t size) = 0;
    // Nothing in the installer calls it; kept for the interface.
    virtual void WriteBlock(const void* data, uint32_t length);
    // Ends the connection; later sends and receives fail with -2.
    virtual void Close() = 0;
    // The IPv4 address, host byte order, of a name or dotted text.
    virtual uint32_t ResolveHost(const char* name) = 0;
    // Opens the connection to host and port; any failure throws -1.
    virtual void Connect(const char* host, uint16_t port) = 0;
    // Returns when a Read would not wait (bytes, the peer's close or a
    // failure, which that Read then reports); throws -255 once budgetMs have
    // passed on NetClock since start.
    virtual void WaitUntilReadable(uint32_t start, uint32_t budgetMs) = 0;

    // Reads until exactly length bytes are stored; Read's errors pass through.
    void ReadExactly(void* buffer, uint32_t length);
    // ReadExactly, all of it within budgetMs on NetClock from start, else -255.
    void ReadExactlyWithin(void* buffer, uint32_t length, uint32_t start, uint32_t budgetMs);
    // Sends the text without its terminating NUL.
    void WriteString(const char* text);
    // Opens the connection to host and port as the proxy settings say:
    // directly, or through the SOCKS proxy with its negotiation. The HTTP
    // proxy itself is always reached directly. Throws -1 for a failed connect,
    // a name that does not resolve or a refusal of the proxy (after an alert
    // for the refusals that the user can act on); errors of Write and
    // ReadExactly pass through. The connection is left open after a failure:
    // its owner closes it. Runs on the thread that owns the connection and may
    // show alerts there.
    void ConnectVia(const char* host, uint16_t port);

    // True once the socket has been closed; cleared by Connect.
    bool closed;
    // IPv4 addresses of both ends, host byte order; 0 until Connect succeeds.
    uint32_t localAddress;
    uint32_t peerAddress;

protected:
    // The time a whole line may take, from the call of ReadLine on.
    static const uint32_t kLineBudgetMs = 30000;

    // ReadLine as promised above, over WaitUntilReadable and ReadLineBytes.
    void ReadLineWithinBudget(char* buffer, uint32_t size);
    // Called once WaitUntilReadable has returned: takes 1 to length bytes of
    // the line begun at start (on NetClock), up to and including a line feed
    // and nothing past it. The base takes one byte with Read.
    virtual uint32_t ReadLineBytes(char* buffer, uint32_t length, uint32_t start);
};
