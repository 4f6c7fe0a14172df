#include "service/service_message.h"

#include <cstring>

namespace service_message {

uint32_t HandshakeTransform(uint32_t x)
{
    uint32_t y = x ^ 0x6D4B1E73u;
    return y % 27941u + y;
}

uint32_t ReadWord(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

void WriteWord(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}

bool DecodeHeader(const uint8_t header[kHeaderSize], Message* message)
{
    message->type = ReadWord(header);
    message->length = ReadWord(header + 4);
    return message->length <= kMaxBodySize;
}

bool BodyWord(const Message& message, uint32_t index, uint32_t* value)
{
    if (index >= kMaxBodySize / 4 || message.length < (index + 1) * 4)
        return false;
    *value = ReadWord(message.body + index * 4);
    return true;
}

size_t EncodeWords(uint32_t type, const uint32_t* words, uint32_t count, uint8_t* out)
{
    WriteWord(out, type);
    WriteWord(out + 4, count * 4);
    for (uint32_t i = 0; i < count; ++i)
        WriteWord(out + kHeaderSize + i * 4, words[i]);
    return kHeaderSize + count * 4;
}

size_t EncodePackageLocation(const char* url, size_t urlLength, uint8_t* out)
{
    if (urlLength > kMaxUrlLength)
        return 0;
    WriteWord(out, kPackageLocation);
    WriteWord(out + 4, static_cast<uint32_t>(1 + urlLength));
    out[kHeaderSize] = static_cast<uint8_t>(urlLength);
    std::memcpy(out + kHeaderSize + 1, url, urlLength);
    return kHeaderSize + 1 + urlLength;
}

}  // namespace service_message
