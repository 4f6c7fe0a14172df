#include "base/data_stream.h"

#include "base/byte_order.h"
#include "base/digest_suffix.h"
#include "base/error_code.h"

#include <cstring>

namespace {

const uint32_t kChunkSize = 4096;

}  // namespace

DataStream::DataStream() : size(0), position(0) {}

DataStream::~DataStream() {}

void DataStream::CopyFrom(DataStream& source, uint32_t count)
{
    if (count > source.GetRemaining())
        throw kErrorMalformed;
    uint8_t chunk[kChunkSize];
    while (count > 0) {
        uint32_t step = count < kChunkSize ? count : kChunkSize;
        source.Read(chunk, step);
        Write(chunk, step);
        count -= step;
    }
}

void DataStream::Digest(uint32_t offset, uint32_t count, uint8_t result[16], uint32_t suffix)
{
    uint32_t saved = position;
    try {
        SeekTo(offset);
        MD5_CTX context;
        MD5_Init(&context);
        uint8_t chunk[kChunkSize];
        while (count > 0) {
            uint32_t step = count < kChunkSize ? count : kChunkSize;
            Read(chunk, step);
            MD5_Update(&context, chunk, step);
            count -= step;
        }
        FeedDigestSuffix(&context, suffix);
        MD5_Final(result, &context);
        SeekTo(saved);
    } catch (ErrorCode) {
        // The caller sees the stream where it was, whatever failed.
        try {
            SeekTo(saved);
        } catch (ErrorCode) {
        }
        throw;
    }
}

void DataStream::SeekTo(uint32_t offset)
{
    if (offset > size)
        throw kErrorMalformed;
    SeekRaw(offset);
}

void DataStream::Skip(uint32_t count)
{
    // Compared against what remains so that a huge count cannot wrap the sum.
    if (count > GetRemaining())
        throw kErrorMalformed;
    SeekRaw(position + count);
}

void DataStream::Write(const void* bytes, uint32_t count)
{
    if (count == 0)
        return;
    if (count > UINT32_MAX - position)
        throw kErrorMalformed;
    WriteRaw(static_cast<const uint8_t*>(bytes), count);
    if (position > size)
        size = position;
}

void DataStream::Read(void* bytes, uint32_t count)
{
    if (count == 0)
        return;
    if (count > GetRemaining())
        throw kErrorMalformed;
    ReadRaw(static_cast<uint8_t*>(bytes), count);
}

void DataStream::WriteU8(uint32_t value)
{
    uint8_t byte = uint8_t(value);
    Write(&byte, 1);
}

void DataStream::WriteU16(uint32_t value)
{
    uint8_t bytes[2];
    StoreBigEndian16(bytes, value);
    Write(bytes, sizeof bytes);
}

void DataStream::WriteU32(uint32_t value)
{
    uint8_t bytes[4];
    StoreBigEndian32(bytes, value);
    Write(bytes, sizeof bytes);
}

uint8_t DataStream::ReadU8()
{
    uint8_t byte;
    Read(&byte, 1);
    return byte;
}

uint16_t DataStream::ReadU16()
{
    uint8_t bytes[2];
    Read(bytes, sizeof bytes);
    return LoadBigEndian16(bytes);
}

uint32_t DataStream::ReadU32()
{
    uint8_t bytes[4];
    Read(bytes, sizeof bytes);
    return LoadBigEndian32(bytes);
}

void DataStream::WritePString(const char* text)
{
    if (!text) {
        WriteU8(0);
        return;
    }
    size_t length = std::strlen(text);
    if (length > 255)
        length = 255;
    WriteU8(uint32_t(length));
    Write(text, uint32_t(length));
}

void DataStream::ReadPString(char* buffer, uint32_t capacity)
{
    uint32_t length = ReadU8();
    if (length >= capacity)
        throw kErrorMalformed;
    Read(buffer, length);
    buffer[length] = '\0';
}

void DataStream::ReadCString(char* buffer, uint32_t capacity)
{
    for (uint32_t stored = 0;; ++stored) {
        if (stored >= capacity)
            throw kErrorMalformed;
        buffer[stored] = char(ReadU8());
        if (buffer[stored] == '\0')
            return;
    }
}
