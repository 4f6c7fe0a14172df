// The PROXY protocol header that TCP load balancers (nginx's stream module,
// HAProxy) put in front of a connection to name the client they relay:
// version 1, one text line of at most 107 bytes
//   "PROXY TCP4 203.0.113.7 192.0.2.1 51234 16000\r\n"  (or TCP6, or UNKNOWN ...)
// and version 2, a 16-byte binary prefix (12-byte signature, version and
// command, family and transport, big-endian length) followed by the
// addresses and optional TLVs. Plain functions; any thread.
#pragma once

#include <asio/ip/address.hpp>

#include <cstddef>
#include <cstdint>

namespace proxy_header {

// The longest header accepted: a version 1 line, or a version 2 header whose
// addresses and TLVs fit in 512 bytes (balancers send far less).
const size_t kMaxV1Size = 107;
const size_t kMaxV2Size = 16 + 512;

enum class Parse { Incomplete, Malformed, Complete };

struct Header {
    // False when the balancer names no client (v1 UNKNOWN, v2 LOCAL or an
    // unspecified family, as in its health checks): the connection then
    // stands for the balancer itself.
    bool hasClient = false;
    asio::ip::address client;
    uint16_t clientPort = 0;
    // Bytes of the header, from the first byte of the data.
    size_t size = 0;
};

// Reads a header at the start of data. Incomplete while the bytes seen so far
// can still become a valid header (more must be read); Malformed as soon as
// they cannot (a wrong signature, a line without CR LF within 107 bytes,
// addresses or ports that do not parse or do not match the family, a version
// or command other than 2 and LOCAL or PROXY, or a header above kMaxV2Size).
Parse ParseHeader(const uint8_t* data, size_t size, Header* header);

// Whether data begins like a header of either version, for refusing one from
// a peer that is not allowed to send it.
bool LooksLikeHeader(const uint8_t* data, size_t size);

}  // namespace proxy_header
