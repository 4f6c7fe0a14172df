// Loading and storing integers in a fixed byte order. The program's own
// formats (package, archive, download state, "Proxies", service messages) are
// big-endian; the system's own records are little-endian. No system headers,
// so the reference service shares it. Any thread.
#pragma once

#include <cstdint>

inline uint16_t LoadBigEndian16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

inline uint32_t LoadBigEndian32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

inline void StoreBigEndian16(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

inline void StoreBigEndian32(uint8_t* bytes, uint32_t value)
{
    StoreBigEndian16(bytes, value >> 16);
    StoreBigEndian16(bytes + 2, value);
}

inline uint32_t LoadLittleEndian32(const uint8_t* bytes)
{
    return bytes[0] | static_cast<uint32_t>(bytes[1]) << 8 | static_cast<uint32_t>(bytes[2]) << 16 |
           static_cast<uint32_t>(bytes[3]) << 24;
}

inline uint64_t LoadLittleEndian64(const uint8_t* bytes)
{
    return LoadLittleEndian32(bytes) | static_cast<uint64_t>(LoadLittleEndian32(bytes + 4)) << 32;
}

inline void StoreLittleEndian32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void StoreLittleEndian64(uint8_t* bytes, uint64_t value)
{
    StoreLittleEndian32(bytes, static_cast<uint32_t>(value));
    StoreLittleEndian32(bytes + 4, static_cast<uint32_t>(value >> 32));
}
