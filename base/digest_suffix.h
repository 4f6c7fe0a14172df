// The optional 32-bit suffix of a stream digest, shared by the chunked and
// the in-place digest. Any thread.
#pragma once

#include "base/byte_order.h"

#include <cstdint>
#include <openssl/md5.h>

// Feeds the suffix's four bytes, big-endian, unless it is 0.
inline void FeedDigestSuffix(MD5_CTX* context, uint32_t suffix)
{
    if (suffix == 0)
        return;
    uint8_t tail[4];
    StoreBigEndian32(tail, suffix);
    MD5_Update(context, tail, sizeof tail);
}
