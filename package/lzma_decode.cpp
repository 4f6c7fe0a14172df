#include "package/lzma_decode.h"

#include "package/lzma_host.h"

#include <cstdlib>
#include <cstring>
#include <new>

// The decoder state and the options that lzma_properties_decode made.
struct LzmaStreamDecoder::State {
    State() : stream(LZMA_STREAM_INIT), options(nullptr) {}
    ~State()
    {
        lzma_end(&stream);
        std::free(options);
    }

    lzma_stream stream;
    void* options;
};

LzmaStreamDecoder::LzmaStreamDecoder()
    : phase(kIdle),
      sourceLength(0),
      given(0),
      destination(nullptr),
      destinationLength(0),
      heldFrom(0),
      state(nullptr)
{
}

LzmaStreamDecoder::~LzmaStreamDecoder() { delete state; }

void LzmaStreamDecoder::Begin(uint32_t length, uint8_t* output, uint32_t outputLength)
{
    End();
    sourceLength = length;
    destination = output;
    destinationLength = outputLength;
    heldFrom = length < kLzmaPropertiesSize + kHeldBack ? kLzmaPropertiesSize : length - kHeldBack;
    phase = length < kLzmaPropertiesSize ? kFailed : kProperties;
}

void LzmaStreamDecoder::Add(const uint8_t* bytes, uint32_t count)
{
    if (phase == kIdle)
        return;
    if (count > sourceLength - given)
        count = sourceLength - given;
    uint32_t at = given;
    given += count;
    if (phase == kProperties) {
        // The properties may arrive split over pieces like any other bytes.
        const uint32_t taken = count < kLzmaPropertiesSize - at ? count : kLzmaPropertiesSize - at;
        std::memcpy(properties + at, bytes, taken);
        at += taken;
        bytes += taken;
        count -= taken;
        if (at < kLzmaPropertiesSize)
            return;
        if (!StartStream())
            return Finish(kFailed);
        phase = kDecoding;
    }
    if (phase != kDecoding)
        return;
    const uint32_t now = at < heldFrom ? (count < heldFrom - at ? count : heldFrom - at) : 0;
    if (now != 0) {
        Decode(bytes, now, false);
        if (phase != kDecoding)
            return;
    }
    // The rest of the piece lies in the held-back tail (from heldFrom on).
    if (count > now)
        std::memcpy(held + (at + now - heldFrom), bytes + now, count - now);
    if (given == sourceLength)
        Decode(held, sourceLength - heldFrom, true);
}

bool LzmaStreamDecoder::Complete() const { return phase != kIdle && given == sourceLength; }

bool LzmaStreamDecoder::Decoded() const { return phase == kDecoded; }

void LzmaStreamDecoder::End()
{
    Finish(kIdle);
    given = 0;
}

void LzmaStreamDecoder::Finish(Phase outcome)
{
    delete state;
    state = nullptr;
    phase = outcome;
}

void LzmaStreamDecoder::Decode(const uint8_t* bytes, uint32_t count, bool last)
{
    lzma_stream& stream = state->stream;
    stream.next_in = bytes;
    stream.avail_in = count;
    lzma_ret result;
    size_t before;
    // A call may stop with input left (its output window full, an end marker
    // still to read); another call goes on while it makes progress.
    do {
        before = stream.avail_in + stream.avail_out;
        result = lzma_code(&stream, last ? LZMA_FINISH : LZMA_RUN);
    } while (result == LZMA_OK && stream.avail_in + stream.avail_out < before && (last || stream.avail_in));
    if (last) {
        bool decoded =
            result == LZMA_STREAM_END && stream.avail_in == 0 && stream.total_out == destinationLength;
        return Finish(decoded ? kDecoded : kFailed);
    }
    // An end before the last source byte leaves bytes unused.
    if (result != LZMA_OK || stream.avail_in != 0)
        Finish(kFailed);
}

bool LzmaStreamDecoder::StartStream()
{
    state = new (std::nothrow) State;
    if (!state)
        return false;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, properties, kLzmaPropertiesSize) != LZMA_OK)
        return false;
    state->options = filters[0].options;
    lzma_options_lzma* lzma = static_cast<lzma_options_lzma*>(state->options);
    // No match reaches back past the first byte of the output, so a
    // dictionary as large as the output decodes any valid stream: a small
    // archive does not pay for the large dictionary it was packed with.
    if (lzma->dict_size > destinationLength)
        lzma->dict_size = destinationLength < LZMA_DICT_SIZE_MIN ? LZMA_DICT_SIZE_MIN : destinationLength;
    // Told the output's size, the decoder stops there and accepts an end
    // marker right after it, or none.
    lzma->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    lzma->ext_size_low = destinationLength;
    lzma->ext_size_high = 0;
    filters[0].id = LZMA_FILTER_LZMA1EXT;
    if (lzma_raw_decoder(&state->stream, filters) != LZMA_OK)
        return false;
    state->stream.next_out = destination;
    state->stream.avail_out = destinationLength;
    return true;
}

bool DecompressLzma(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                    uint32_t destinationLength)
{
    LzmaStreamDecoder decoder;
    decoder.Begin(sourceLength, destination, destinationLength);
    decoder.Add(source, sourceLength);
    return decoder.Decoded();
}
