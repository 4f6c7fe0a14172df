// Decoding of "5 LZMA property bytes + raw LZMA1 stream" blocks, as the
// package body and the icon list store them: in one go (DecompressLzma) or
// piece by piece as the bytes arrive (LzmaStreamDecoder), by the same rules.
// Any thread; one object on one thread at a time.
#pragma once

#include <cstdint>

// Number of property bytes in front of the raw stream.
const uint32_t kLzmaPropertiesSize = 5;

// Decodes a source of a known length (properties, then the stream), given in
// pieces of any size, into exactly destinationLength bytes. It has decoded
// only when the properties are valid, the decoder reports no error, every
// byte of the source is used and exactly destinationLength bytes come out. A
// stream may or may not end with the end marker. The decoder's state (as
// large as its dictionary, at most the destination's length) lives from
// Begin until the outcome is known: the last source byte or the first error.
class LzmaStreamDecoder {
public:
    LzmaStreamDecoder();
    ~LzmaStreamDecoder();
    LzmaStreamDecoder(const LzmaStreamDecoder&) = delete;
    LzmaStreamDecoder& operator=(const LzmaStreamDecoder&) = delete;

    // Starts over for a source of sourceLength bytes. destination must stay
    // valid until the outcome is known or End; bytes past destinationLength
    // are never written.
    void Begin(uint32_t sourceLength, uint8_t* destination, uint32_t destinationLength);
    // The next count source bytes, following those given before. Bytes past
    // sourceLength are no part of the source and are ignored; after an error
    // the bytes are only counted. Does nothing before Begin.
    void Add(const uint8_t* bytes, uint32_t count);
    // Every source byte has been given since Begin.
    bool Complete() const;
    // Complete, and decoded by the rules above.
    bool Decoded() const;
    // Forgets the source (Complete is false until the next Begin) and frees
    // the decoder's state.
    void End();

private:
    // The last stream bytes are held back and decoded only with the last
    // source byte: a decoder that has produced every output byte cannot
    // always take its end marker in two parts. A valid stream ends at most a
    // few bytes after its last output byte.
    static const uint32_t kHeldBack = 64;

    enum Phase { kIdle, kProperties, kDecoding, kDecoded, kFailed };
    struct State;

    void Decode(const uint8_t* bytes, uint32_t count, bool last);
    bool StartStream();
    // Leaves decoding for good: kDecoded or kFailed, the state freed.
    void Finish(Phase outcome);

    Phase phase;
    uint32_t sourceLength;
    uint32_t given;
    uint8_t* destination;
    uint32_t destinationLength;
    // Source offset of the first held-back byte.
    uint32_t heldFrom;
    uint8_t properties[kLzmaPropertiesSize];
    uint8_t held[kHeldBack];
    State* state;
};

// Decodes source (properties, then the stream) into exactly
// destinationLength bytes by LzmaStreamDecoder's rules, in one piece. True
// when it decoded. The decoder state lives only for the call.
bool DecompressLzma(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                    uint32_t destinationLength);
