// A Connection whose peer is a block of bytes in memory: reads take the
// bytes in order, in pieces of varying size (as receives deliver them), and
// the end of the block is the peer closing the connection. Successive
// connections over one MemoryPeer continue where the last one stopped, as a
// redirect or a repeated request would reach the next answer. Writes are
// counted and dropped.
#pragma once

#include "net/connection.h"

#include <cstddef>
#include <cstdint>

struct MemoryPeer {
    const uint8_t* data;
    size_t size;
    size_t at;
    uint32_t written;
    uint32_t connects;

    void Reset(const uint8_t* bytes, size_t length);
};

class MemoryConnection : public Connection {
public:
    explicit MemoryConnection(MemoryPeer& peer);

    void Write(const void* data, uint32_t length) override;
    uint32_t Read(void* buffer, uint32_t length) override;
    void ReadLine(char* buffer, uint32_t size) override;
    void Close() override;
    uint32_t ResolveHost(const char* name) override;
    void Connect(const char* host, uint16_t port) override;

private:
    MemoryPeer& peer;
};
