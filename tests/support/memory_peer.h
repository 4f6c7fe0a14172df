// A Connection whose peer is bytes in memory, for the protocol tests and the
// fuzz targets, and a scoped hold on the network code's clock and limits.
// Reads take a connection's bytes in order, in pieces of varying size (as
// receives deliver them); the end of the bytes is the peer's close, or
// silence that outlasts any wait. Test thread only.
#pragma once

#include "net/connection.h"
#include "net/milli_clock.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MemoryPeer {
    // One stream for every connection, each going on where the last stopped.
    void Reset(const uint8_t* bytes, size_t length);
    // One reply per connection, in order; a connect beyond them fails (-1).
    void Script(std::vector<std::string> replies);

    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t at = 0;
    uint32_t connects = 0;
    std::vector<std::string> replies;
    bool scripted = false;
    // "host:port" of each connect, and what the client wrote on it.
    std::vector<std::string> targets;
    std::vector<std::string> sent;
    // At the end of its bytes the peer stays silent instead of closing.
    bool silentAtEnd = false;
    // Pieces of at most this many bytes; 0 varies them from 1 to 1024.
    uint32_t largestPiece = 0;
};

// "nowhere.quorvalent.test" does not resolve; every other name is 127.0.0.10.
class MemoryConnection : public Connection {
public:
    explicit MemoryConnection(MemoryPeer& peer) : peer(peer) {}

    void Write(const void* data, uint32_t length) override;
    uint32_t Read(void* buffer, uint32_t length) override;
    void ReadLine(char* buffer, uint32_t size) override { ReadLineWithinBudget(buffer, size); }
    void Close() override { closed = true; }
    uint32_t ResolveHost(const char* name) override;
    void Connect(const char* host, uint16_t port) override;
    void WaitUntilReadable(uint32_t start, uint32_t budgetMs) override;

private:
    MemoryPeer& peer;
};

// Connections to these two peers, for SetHttpConnectionMaker and
// SetServiceConnectionMaker.
extern MemoryPeer g_webPeer;
extern MemoryPeer g_servicePeer;
inline Connection* MakeWebConnection() { return new MemoryConnection(g_webPeer); }
inline Connection* MakeServiceConnection() { return new MemoryConnection(g_servicePeer); }

// While it lives, NetClock moves stepMs on at every reading (0 keeps the
// real clock) and sockets made meanwhile get the given limits.
class ScopedNetTiming {
public:
    explicit ScopedNetTiming(uint32_t stepMs, uint32_t connectMs = 30000, uint32_t receiveIdleMs = 60000);
    ~ScopedNetTiming() { SetNetTiming(saved); }

private:
    NetTiming saved;
};
