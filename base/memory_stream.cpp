#include "base/memory_stream.h"

#include "base/digest_suffix.h"
#include "base/error_code.h"

#include <cstdlib>
#include <cstring>

MemoryStream::MemoryStream() : buffer(inlineBuffer), capacity(kInlineSize), ownsBuffer(true) {}

MemoryStream::~MemoryStream() { Release(); }

void MemoryStream::Attach(uint8_t* bytes, uint32_t length)
{
    Release();
    buffer = bytes;
    capacity = length;
    size = length;
    ownsBuffer = false;
    SeekTo(0);
}

void MemoryStream::Release()
{
    if (buffer == inlineBuffer)
        return;
    if (ownsBuffer)
        std::free(buffer);
    ownsBuffer = true;
    buffer = inlineBuffer;
    capacity = kInlineSize;
    size = 0;
    position = 0;
}

void MemoryStream::EnsureSize(uint32_t newSize)
{
    if (newSize <= size)
        return;
    if (newSize > capacity) {
        if (!ownsBuffer || newSize > UINT32_MAX - kGrowthSlack)
            throw kErrorMalformed;
        uint32_t grown = newSize + kGrowthSlack;
        uint8_t* block = static_cast<uint8_t*>(std::malloc(grown));
        if (!block)
            throw kErrorMalformed;
        std::memcpy(block, buffer, size);
        if (buffer != inlineBuffer)
            std::free(buffer);
        buffer = block;
        capacity = grown;
    }
    size = newSize;
}

void MemoryStream::CopyFrom(DataStream& source, uint32_t count)
{
    if (count == 0)
        return;
    if (count > source.GetRemaining() || count > UINT32_MAX - position)
        throw kErrorMalformed;
    EnsureSize(position + count);
    source.Read(buffer + position, count);
    position += count;
}

void MemoryStream::Digest(uint32_t offset, uint32_t count, uint8_t result[16], uint32_t suffix)
{
    if (offset > size || count > size - offset)
        throw kErrorMalformed;
    MD5_CTX context;
    MD5_Init(&context);
    MD5_Update(&context, buffer + offset, count);
    FeedDigestSuffix(&context, suffix);
    MD5_Final(result, &context);
}

void MemoryStream::WriteRaw(const uint8_t* bytes, uint32_t count)
{
    if (count > UINT32_MAX - position)
        throw kErrorMalformed;
    EnsureSize(position + count);
    std::memcpy(buffer + position, bytes, count);
    position += count;
}

void MemoryStream::ReadRaw(uint8_t* bytes, uint32_t count)
{
    std::memcpy(bytes, buffer + position, count);
    position += count;
}

void MemoryStream::SeekRaw(uint32_t offset) { position = offset; }
