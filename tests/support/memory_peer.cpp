#include "tests/support/memory_peer.h"

#include "base/error_code.h"

#include <algorithm>
#include <cstring>

MemoryPeer g_webPeer;
MemoryPeer g_servicePeer;

namespace {

uint32_t g_now = 0;
uint32_t g_step = 0;

uint32_t SteppingClock() { return g_now += g_step; }

}  // namespace

void MemoryPeer::Reset(const uint8_t* bytes, size_t length)
{
    *this = MemoryPeer();
    data = bytes;
    size = length;
}

void MemoryPeer::Script(std::vector<std::string> scriptedReplies)
{
    *this = MemoryPeer();
    replies = std::move(scriptedReplies);
    scripted = true;
}

void MemoryConnection::Write(const void* data, uint32_t length)
{
    if (closed)
        throw kErrorCancelled;
    if (!peer.sent.empty())
        peer.sent.back().append(static_cast<const char*>(data), length);
}

uint32_t MemoryConnection::Read(void* buffer, uint32_t length)
{
    if (closed)
        throw kErrorCancelled;
    if (length == 0)
        return 0;
    if (peer.at >= peer.size)
        throw peer.silentAtEnd ? kErrorLineTimeout : kErrorConnection;
    size_t piece = peer.largestPiece ? peer.largestPiece : 1 + (peer.at * 2654435761u >> 7) % 1024;
    size_t count = std::min(std::min(peer.size - peer.at, size_t(length)), piece);
    std::memcpy(buffer, peer.data + peer.at, count);
    peer.at += count;
    return static_cast<uint32_t>(count);
}

uint32_t MemoryConnection::ResolveHost(const char* name)
{
    if (std::strcmp(name, "nowhere.quorvalent.test") == 0)
        throw kErrorConnection;
    return 0x7F00000Au;
}

void MemoryConnection::Connect(const char* host, uint16_t port)
{
    closed = false;
    ++peer.connects;
    peer.targets.push_back(std::string(host) + ":" + std::to_string(port));
    peer.sent.emplace_back();
    if (peer.scripted) {
        if (peer.connects > peer.replies.size()) {
            closed = true;
            throw kErrorConnection;
        }
        const std::string& reply = peer.replies[peer.connects - 1];
        peer.data = reinterpret_cast<const uint8_t*>(reply.data());
        peer.size = reply.size();
        peer.at = 0;
    }
    peerAddress = ResolveHost(host);
    localAddress = 0x7F000001u;
}

void MemoryConnection::WaitUntilReadable(uint32_t start, uint32_t budgetMs)
{
    // Silence waits out the budget, as select would.
    if (NetClock() - start >= budgetMs || (peer.at >= peer.size && peer.silentAtEnd))
        throw kErrorLineTimeout;
}

ScopedNetTiming::ScopedNetTiming(uint32_t stepMs, uint32_t connectMs, uint32_t receiveIdleMs)
{
    g_now = 0;
    g_step = stepMs;
    saved = SetNetTiming({stepMs ? SteppingClock : nullptr, connectMs, receiveIdleMs});
}
