// Helpers of the HTTP download tests.
#pragma once

#include <cstdint>
#include <string>

#include "net/http_downloader.h"

// Reads the body until a negative result, appending to body; returns that
// result (-1 at the normal end of a body).
inline int32_t ReadToEnd(HttpDownloader& downloader, std::string& body)
{
    uint8_t piece[64 * 1024];
    for (;;) {
        int32_t result = downloader.Read(piece, sizeof piece);
        if (result < 0)
            return result;
        body.append(reinterpret_cast<char*>(piece), static_cast<size_t>(result));
    }
}

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
