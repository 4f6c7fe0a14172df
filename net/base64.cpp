#include "net/base64.h"

#include <cstring>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

uint32_t Base64EncodedSize(uint32_t length) { return (length + 2) / 3 * 4 + 1; }

void Base64Encode(char* out, const char* text)
{
    const unsigned char* in = reinterpret_cast<const unsigned char*>(text);
    size_t length = std::strlen(text);
    for (; length >= 3; in += 3, length -= 3) {
        uint32_t group = (uint32_t(in[0]) << 16) | (uint32_t(in[1]) << 8) | in[2];
        *out++ = kAlphabet[group >> 18];
        *out++ = kAlphabet[(group >> 12) & 63];
        *out++ = kAlphabet[(group >> 6) & 63];
        *out++ = kAlphabet[group & 63];
    }
    if (length > 0) {
        uint32_t group = uint32_t(in[0]) << 16;
        if (length == 2)
            group |= uint32_t(in[1]) << 8;
        *out++ = kAlphabet[group >> 18];
        *out++ = kAlphabet[(group >> 12) & 63];
        *out++ = length == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        *out++ = '=';
    }
    *out = '\0';
}
