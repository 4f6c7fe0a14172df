// A DataStream over bytes in memory: its own storage (a 256-byte inline
// buffer, then heap blocks that grow by 512 bytes beyond each need) or a
// caller's block handed in by Attach, which is read and overwritten in
// place but never grown or freed.
#pragma once

#include "base/data_stream.h"

class MemoryStream : public DataStream {
public:
    static const uint32_t kInlineSize = 256;
    static const uint32_t kGrowthSlack = 512;

    MemoryStream();
    ~MemoryStream() override;

    // Works on the caller's bytes from now on: size and capacity are the
    // length, position 0. The caller keeps them alive while the stream
    // uses them.
    void Attach(uint8_t* bytes, uint32_t length);
    // Back to the inline buffer; a heap block of the stream's own is freed,
    // an attached block is left to its owner. Since the bytes it held are no
    // longer reachable, a stream that leaves such a block is emptied (size
    // and position 0), so nothing can read past the inline buffer.
    void Release();
    // The stream's bytes; the next byte to read is at GetBuffer() + GetPosition().
    uint8_t* GetBuffer() { return buffer; }
    // Makes the stream at least newSize bytes long, growing its own storage
    // to newSize + 512. An attached block cannot grow: -3; so can a size
    // whose slack would pass 4 GiB, or a failed allocation.
    void EnsureSize(uint32_t newSize);

    void CopyFrom(DataStream& source, uint32_t count) override;
    void Digest(uint32_t offset, uint32_t count, uint8_t result[16], uint32_t suffix) override;
    void WriteRaw(const uint8_t* bytes, uint32_t count) override;
    void ReadRaw(uint8_t* bytes, uint32_t count) override;
    void SeekRaw(uint32_t offset) override;

private:
    uint8_t* buffer;
    uint32_t capacity;
    uint8_t inlineBuffer[kInlineSize];
    bool ownsBuffer;
};
