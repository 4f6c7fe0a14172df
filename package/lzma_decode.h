// Decoding of "5 LZMA property bytes + raw LZMA1 stream" blocks, as the
// package body and the icon list store them. Any thread.
#pragma once

#include <cstdint>

// Number of property bytes in front of the raw stream.
const uint32_t kLzmaPropertiesSize = 5;

// Decodes source (properties, then the stream) into exactly
// destinationLength bytes. True only when the properties are valid, the
// decoder reports no error, every byte of the source is used and exactly
// destinationLength bytes come out. A stream may or may not end with the
// end marker. The decoder state lives only for the call.
bool DecompressLzma(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                    uint32_t destinationLength);
