// Helpers of the download tests.
#pragma once

#include <cstdint>
#include <string>

// Deterministic bytes of every value, for files whose parts must not be
// mistaken for one another.
inline std::string PatternBytes(size_t length, uint32_t seed)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(seed >> 16);
    }
    return bytes;
}
