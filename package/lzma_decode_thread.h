// An LzmaStreamDecoder on a thread of its own, for a source that fills in
// order from its first byte (a package body as it downloads): the thread
// decodes what has arrived while the caller receives the rest, so that the
// download and its decoding run on two processors. Driven by one thread.
// Source bytes that have arrived must stay as they are, and the source and
// destination valid, until the outcome is known or End.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "package/lzma_decode.h"

class LzmaDecodeThread {
public:
    LzmaDecodeThread();
    ~LzmaDecodeThread();
    LzmaDecodeThread(const LzmaDecodeThread&) = delete;
    LzmaDecodeThread& operator=(const LzmaDecodeThread&) = delete;

    // Ends any earlier decoding and starts on source (sourceLength bytes,
    // none arrived yet) into destination, by LzmaStreamDecoder's rules.
    // Where no thread can be started, Arrived decodes on the caller's thread.
    void Begin(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
               uint32_t destinationLength);
    // The first count bytes of the source have arrived; a count past the
    // source's length stands for all of it. Does nothing before Begin.
    void Arrived(uint32_t count);
    // Every source byte has arrived since Begin.
    bool Complete() const;
    // Complete, and decoded: waits for the thread to decode the last bytes.
    bool Decoded();
    // Stops the thread within a piece, waits for it and frees the decoder's
    // state; Complete is false until the next Begin.
    void End();

private:
    // The most one call of the decoder takes, so that End is never kept
    // waiting long.
    static const uint32_t kPiece = 1u << 20;

    static DWORD WINAPI Run(void* self);
    // Hands the decoder the bytes that have arrived since it last took some.
    void TakeArrived();

    LzmaStreamDecoder decoder;
    bool begun;
    const uint8_t* source;
    uint32_t sourceLength;
    // Bytes handed to the decoder; the thread's own while it runs.
    uint32_t taken;
    std::atomic<uint32_t> arrived;
    std::atomic<bool> stopping;
    // Set when bytes arrive or the thread must stop.
    HANDLE wake;
    HANDLE thread;
};
