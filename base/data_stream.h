// Seekable byte streams with big-endian integers and length-prefixed or
// NUL-terminated texts. Every failure of the non-virtual operations throws
// ErrorCode kErrorMalformed (-3) and nothing else. A stream object is made,
// used and destroyed by one thread; streams hold no locks.
#pragma once

#include <cstdint>

class DataStream {
public:
    DataStream();
    virtual ~DataStream();
    DataStream(const DataStream&) = delete;
    DataStream& operator=(const DataStream&) = delete;

    // CopyFrom and Digest have no caller in the installer; they belong to
    // the stream interface.
    // Copies count bytes from the source's position into this stream. Fails
    // before copying anything when the source holds fewer bytes.
    virtual void CopyFrom(DataStream& source, uint32_t count);
    // MD5 of count bytes from offset, followed by the suffix's four bytes
    // (big-endian) when the suffix is not 0. The position is unchanged
    // afterwards, also when the stretch passes the end and -3 is thrown.
    virtual void Digest(uint32_t offset, uint32_t count, uint8_t result[16], uint32_t suffix);

    // Raw operations: no bounds checks of their own; callers use the
    // checked operations below.
    virtual void WriteRaw(const uint8_t* bytes, uint32_t count) = 0;
    virtual void ReadRaw(uint8_t* bytes, uint32_t count) = 0;
    virtual void SeekRaw(uint32_t offset) = 0;

    uint32_t GetSize() const { return size; }
    uint32_t GetPosition() const { return position; }
    // An offset past the size fails and leaves the position alone; the size
    // itself (the end) is allowed.
    void SeekTo(uint32_t offset);
    // Moves the position forward by count; fails when that passes the end.
    void Skip(uint32_t count);
    // Writing past the end moves the size. A write that would take the
    // position past 4 GiB fails before anything is written.
    void Write(const void* bytes, uint32_t count);
    // Fails before reading anything when fewer than count bytes remain.
    void Read(void* bytes, uint32_t count);

    void WriteU8(uint32_t value);
    void WriteU16(uint32_t value);
    void WriteU32(uint32_t value);
    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();

    // A length byte and at most 255 bytes of the text; null writes one 0 byte.
    void WritePString(const char* text);
    // A length of capacity or more fails before the text is read; the text
    // is stored with a NUL behind it.
    void ReadPString(char* buffer, uint32_t capacity);
    // Reads up to and including a 0 byte; at most capacity - 1 characters.
    void ReadCString(char* buffer, uint32_t capacity);

    uint32_t GetRemaining() const { return size - position; }

protected:
    uint32_t size;
    uint32_t position;
};
