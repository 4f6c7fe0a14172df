// LZMA1 encoding for package bodies: the 5 property bytes 5D 00 00 00 02
// (lc 3, lp 0, pb 2, dictionary 32 MiB) followed by the raw stream.
#pragma once

#include <cstdint>
#include <vector>

// level is the encoder preset (0-9) for everything but the properties;
// endMarker chooses whether the stream ends with an end marker. False when
// the encoder fails.
bool CompressLzma(const uint8_t* data, uint32_t length, uint32_t level, bool endMarker,
                  std::vector<uint8_t>* output);
