#include "tests/support/memory_peer.h"

#include "base/error_code.h"

#include <cstring>

void MemoryPeer::Reset(const uint8_t* bytes, size_t length)
{
    data = bytes;
    size = length;
    at = 0;
    written = 0;
    connects = 0;
}

MemoryConnection::MemoryConnection(MemoryPeer& peer) : peer(peer) {}

void MemoryConnection::Write(const void*, uint32_t length)
{
    if (closed)
        throw kErrorCancelled;
    peer.written += length;
}

uint32_t MemoryConnection::Read(void* buffer, uint32_t length)
{
    if (closed)
        throw kErrorCancelled;
    if (length == 0)
        return 0;
    if (peer.at >= peer.size)
        throw kErrorConnection;
    // Pieces of 1 to 1024 bytes, the same for the same input.
    size_t piece = 1 + (peer.at * 2654435761u >> 7) % 1024;
    size_t count = peer.size - peer.at;
    if (count > length)
        count = length;
    if (count > piece)
        count = piece;
    std::memcpy(buffer, peer.data + peer.at, count);
    peer.at += count;
    return static_cast<uint32_t>(count);
}

void MemoryConnection::ReadLine(char* buffer, uint32_t size)
{
    if (size == 0)
        return;
    uint32_t stored = 0;
    while (stored + 1 < size) {
        char byte;
        Read(&byte, 1);
        buffer[stored++] = byte;
        if (byte == '\n')
            break;
    }
    buffer[stored] = '\0';
}

void MemoryConnection::Close() { closed = true; }

uint32_t MemoryConnection::ResolveHost(const char*) { return 0x7F00000Au; }

void MemoryConnection::Connect(const char*, uint16_t)
{
    closed = false;
    ++peer.connects;
    peerAddress = 0x7F00000Au;
    localAddress = 0x7F000001u;
}
