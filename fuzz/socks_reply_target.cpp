// ConnectVia through a SOCKS proxy whose replies are the input (after a
// first byte that chooses the version and whether credentials are set).
// Success must leave the connection at the first byte of the destination's
// stream: the negotiation reads exactly its replies.
#include "fuzz/fuzz_target.h"
#include "tests/support/memory_peer.h"

#include "base/error_code.h"
#include "net/proxy_settings.h"

namespace {

const char kTarget[] = "socks-reply";

// The bytes a successful negotiation reads, from the replies as given.
size_t ExpectedReplyLength(uint8_t version, const uint8_t* replies, size_t size)
{
    if (version == 4)
        return 8;
    size_t at = 2;
    if (size > 1 && replies[1] == 2)
        at += 2;
    if (size < at + 4)
        return 0;
    uint8_t type = replies[at + 3];
    at += 4;
    if (type == 1)
        return at + 6;
    if (type == 3)
        return size > at ? at + 1 + replies[at] + 2 : 0;
    if (type == 4)
        return at + 18;
    return at;
}

}  // namespace

void FuzzSocksReply(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096)
        return;
    uint8_t version = (data[0] & 1) ? 5 : 4;
    ProxySettings& settings = ProxySettings::Instance();
    settings.SetHttpEnabled(false);
    settings.SetSocksEnabled(true);
    settings.SetSocksVersion(version);
    settings.SetSocksHost("socks.quorvalent.test");
    settings.SetSocksPort(1080);
    settings.SetSocksUser((data[0] & 2) ? "user" : "");
    settings.SetSocksPassword((data[0] & 2) ? "secret" : "");

    MemoryPeer peer;
    peer.Reset(data + 1, size - 1);
    MemoryConnection connection(peer);
    try {
        connection.ConnectVia("files.quorvalent.test", 80);
    } catch (ErrorCode) {
        return;
    }
    FUZZ_EXPECT(kTarget, peer.at == ExpectedReplyLength(version, data + 1, size - 1));
}

void SeedSocksReply(std::vector<std::string>& out)
{
    out.push_back(std::string("\x00\x00\x5A\x00\x50\x7F\x00\x00\x0A", 9));
    out.push_back(std::string("\x01\x05\x00\x05\x00\x00\x01\x7F\x00\x00\x0A\x00\x50", 13));
    out.push_back(std::string("\x03\x05\x02\x01\x00\x05\x00\x00\x03\x0Aproxy.test\x00\x50", 21));
    out.push_back(std::string("\x01\x05\x00\x05\x00\x00\x04", 7) + std::string(18, '\x01'));
}
