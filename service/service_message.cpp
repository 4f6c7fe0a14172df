#include "service/service_message.h"

#include "base/byte_order.h"

#include <cstring>

namespace service_message {

uint32_t HandshakeTransform(uint32_t x)
{
    uint32_t y = x ^ 0x6D4B1E73u;
    return y % 27941u + y;
}

bool DecodeHeader(const uint8_t header[kHeaderSize], Message* message)
{
    message->type = LoadBigEndian32(header);
    message->length = LoadBigEndian32(header + 4);
    return message->length <= kMaxBodySize;
}

bool BodyWord(const Message& message, uint32_t index, uint32_t* value)
{
    if (index >= kMaxBodySize / 4 || message.length < (index + 1) * 4)
        return false;
    *value = LoadBigEndian32(message.body + size_t(index) * 4);
    return true;
}

size_t EncodeWords(uint32_t type, const uint32_t* words, uint32_t count, uint8_t* out)
{
    StoreBigEndian32(out, type);
    StoreBigEndian32(out + 4, count * 4);
    for (uint32_t i = 0; i < count; ++i) StoreBigEndian32(out + kHeaderSize + size_t(i) * 4, words[i]);
    return kHeaderSize + count * 4;
}

size_t EncodePackageLocation(const char* url, size_t urlLength, uint8_t* out)
{
    if (urlLength > kMaxUrlLength)
        return 0;
    StoreBigEndian32(out, kPackageLocation);
    StoreBigEndian32(out + 4, static_cast<uint32_t>(1 + urlLength));
    out[kHeaderSize] = static_cast<uint8_t>(urlLength);
    std::memcpy(out + kHeaderSize + 1, url, urlLength);
    return kHeaderSize + 1 + urlLength;
}

}  // namespace service_message
