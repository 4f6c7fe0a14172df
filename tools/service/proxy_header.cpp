#include "tools/service/proxy_header.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace proxy_header {

namespace {

const char kV1Prefix[] = "PROXY ";
const size_t kV1PrefixSize = 6;
const uint8_t kV2Signature[12] = {0x0D, 0x0A, 0x0D, 0x0A, 0x00, 0x0D, 0x0A, 0x51, 0x55, 0x49, 0x54, 0x0A};
const size_t kV2FixedSize = 16;

// Whether the first bytes of data (as many as there are, up to the
// pattern's size) match the pattern.
bool StartsLike(const uint8_t* data, size_t size, const void* pattern, size_t patternSize)
{
    return size > 0 && std::memcmp(data, pattern, std::min(size, patternSize)) == 0;
}

// The fields of a line, split at single spaces; an empty field (two spaces
// in a row, or one at either end) makes the line malformed.
bool SplitFields(const std::string& line, std::vector<std::string>* fields)
{
    size_t start = 0;
    for (;;) {
        size_t space = line.find(' ', start);
        std::string field =
            line.substr(start, space == std::string::npos ? std::string::npos : space - start);
        if (field.empty())
            return false;
        fields->push_back(field);
        if (space == std::string::npos)
            return true;
        start = space + 1;
    }
}

bool ParsePort(const std::string& text, uint16_t* port)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    unsigned long value = std::stoul(text);
    *port = static_cast<uint16_t>(value);
    return value <= 65535;
}

// A dotted IPv4 address for TCP4, a plain IPv6 address (no zone) for TCP6.
bool ParseAddress(const std::string& family, const std::string& text, asio::ip::address* address)
{
    asio::error_code error;
    if (family == "TCP4")
        *address = asio::ip::make_address_v4(text, error);
    else if (text.find('%') == std::string::npos)
        *address = asio::ip::make_address_v6(text, error);
    else
        return false;
    return !error;
}

Parse ParseV1(const uint8_t* data, size_t size, Header* header)
{
    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data, '\n', std::min(size, kMaxV1Size)));
    if (!end)
        return size >= kMaxV1Size ? Parse::Malformed : Parse::Incomplete;
    if (end - data < static_cast<long>(kV1PrefixSize) + 1 || end[-1] != '\r')
        return Parse::Malformed;
    std::string line(data + kV1PrefixSize, end - 1);
    std::vector<std::string> fields;
    if (!SplitFields(line, &fields))
        return Parse::Malformed;
    header->size = end + 1 - data;
    // The balancer knows no client (a health check, say): whatever follows
    // UNKNOWN is to be ignored.
    if (fields[0] == "UNKNOWN") {
        header->hasClient = false;
        return Parse::Complete;
    }
    asio::ip::address destination;
    uint16_t destinationPort = 0;
    if ((fields[0] != "TCP4" && fields[0] != "TCP6") || fields.size() != 5 ||
        !ParseAddress(fields[0], fields[1], &header->client) ||
        !ParseAddress(fields[0], fields[2], &destination) || !ParsePort(fields[3], &header->clientPort) ||
        !ParsePort(fields[4], &destinationPort))
        return Parse::Malformed;
    header->hasClient = true;
    return Parse::Complete;
}

uint16_t BigEndian16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }

Parse ParseV2(const uint8_t* data, size_t size, Header* header)
{
    if (size < kV2FixedSize)
        return Parse::Incomplete;
    unsigned version = data[12] >> 4, command = data[12] & 0x0F;
    unsigned family = data[13] >> 4, transport = data[13] & 0x0F;
    size_t total = kV2FixedSize + BigEndian16(data + 14);
    if (version != 2 || command > 1 || family > 3 || total > kMaxV2Size)
        return Parse::Malformed;
    if (size < total)
        return Parse::Incomplete;
    header->size = total;
    header->hasClient = false;
    // LOCAL is the balancer speaking for itself; UNSPEC and UNIX name no
    // client we could count. Any TLVs after the addresses are skipped.
    if (command == 0 || family == 0 || family == 3)
        return Parse::Complete;
    const uint8_t* addresses = data + kV2FixedSize;
    if (family == 1 && transport == 1 && total >= kV2FixedSize + 12) {
        asio::ip::address_v4::bytes_type bytes;
        std::memcpy(bytes.data(), addresses, bytes.size());
        header->client = asio::ip::make_address_v4(bytes);
        header->clientPort = BigEndian16(addresses + 8);
    } else if (family == 2 && transport == 1 && total >= kV2FixedSize + 36) {
        asio::ip::address_v6::bytes_type bytes;
        std::memcpy(bytes.data(), addresses, bytes.size());
        header->client = asio::ip::make_address_v6(bytes);
        header->clientPort = BigEndian16(addresses + 32);
    } else {
        return Parse::Malformed;
    }
    header->hasClient = true;
    return Parse::Complete;
}

}  // namespace

Parse ParseHeader(const uint8_t* data, size_t size, Header* header)
{
    if (size == 0)
        return Parse::Incomplete;
    if (StartsLike(data, size, kV1Prefix, kV1PrefixSize))
        return size < kV1PrefixSize ? Parse::Incomplete : ParseV1(data, size, header);
    if (StartsLike(data, size, kV2Signature, sizeof kV2Signature))
        return ParseV2(data, size, header);
    return Parse::Malformed;
}

bool LooksLikeHeader(const uint8_t* data, size_t size)
{
    return StartsLike(data, size, kV1Prefix, kV1PrefixSize) ||
           StartsLike(data, size, kV2Signature, sizeof kV2Signature);
}

}  // namespace proxy_header
