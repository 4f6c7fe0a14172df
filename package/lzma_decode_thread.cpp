#include "package/lzma_decode_thread.h"

LzmaDecodeThread::LzmaDecodeThread()
    : begun(false),
      source(nullptr),
      sourceLength(0),
      taken(0),
      arrived(0),
      stopping(false),
      wake(nullptr),
      thread(nullptr)
{
}

LzmaDecodeThread::~LzmaDecodeThread() { End(); }

void LzmaDecodeThread::Begin(const uint8_t* bytes, uint32_t length, uint8_t* destination,
                             uint32_t destinationLength)
{
    End();
    source = bytes;
    sourceLength = length;
    decoder.Begin(length, destination, destinationLength);
    begun = true;
    wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (wake)
        thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

void LzmaDecodeThread::Arrived(uint32_t count)
{
    if (!begun)
        return;
    if (count > sourceLength)
        count = sourceLength;
    if (count <= arrived.load())
        return;
    arrived.store(count);
    if (thread)
        SetEvent(wake);
    else
        TakeArrived();
}

bool LzmaDecodeThread::Complete() const { return begun && arrived.load() == sourceLength; }

bool LzmaDecodeThread::Decoded()
{
    if (!Complete())
        return false;
    // The thread ends once it has taken the last byte.
    if (thread)
        WaitForSingleObject(thread, INFINITE);
    return decoder.Decoded();
}

void LzmaDecodeThread::End()
{
    if (thread) {
        stopping.store(true);
        SetEvent(wake);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
    if (wake) {
        CloseHandle(wake);
        wake = nullptr;
    }
    decoder.End();
    begun = false;
    source = nullptr;
    sourceLength = 0;
    taken = 0;
    arrived.store(0);
    stopping.store(false);
}

DWORD WINAPI LzmaDecodeThread::Run(void* self)
{
    LzmaDecodeThread& decoding = *static_cast<LzmaDecodeThread*>(self);
    while (!decoding.stopping.load() && decoding.taken < decoding.sourceLength) {
        decoding.TakeArrived();
        // Bytes that arrived meanwhile have set the event already.
        if (decoding.taken < decoding.sourceLength)
            WaitForSingleObject(decoding.wake, INFINITE);
    }
    return 0;
}

void LzmaDecodeThread::TakeArrived()
{
    const uint32_t now = arrived.load();
    while (taken < now && !stopping.load()) {
        const uint32_t count = now - taken < kPiece ? now - taken : kPiece;
        decoder.Add(source + taken, count);
        taken += count;
    }
}
