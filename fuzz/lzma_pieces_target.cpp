// An LZMA body as a hostile server would send it, cut into pieces of any
// size: decoded piece by piece it must come to the outcome and the bytes of
// the decode in one go, and neither may write past its destination.
#include "fuzz/fuzz_target.h"

#include "package/lzma_decode.h"
#include "tests/support/package_builder.h"
#include "tools/pack/lzma_encode.h"

#include <cstring>

namespace {

const char kTarget[] = "lzma-pieces";
// Input: the piece size less one (u8), the destination's length (u16), then
// the source (properties and stream).
const size_t kPrefixSize = 3;
const size_t kGuardSize = 16;
const uint8_t kGuard = 0xCC;

bool GuardIntact(const std::vector<uint8_t>& buffer, size_t length)
{
    for (size_t i = length; i < buffer.size(); ++i)
        if (buffer[i] != kGuard)
            return false;
    return true;
}

}  // namespace

void FuzzLzmaPieces(const uint8_t* data, size_t size)
{
    if (size < kPrefixSize)
        return;
    const uint32_t piece = 1u + data[0];
    const uint32_t length = uint32_t(data[1]) << 8 | data[2];
    const uint8_t* source = data + kPrefixSize;
    const uint32_t sourceLength = uint32_t(size - kPrefixSize);
    std::vector<uint8_t> whole(length + kGuardSize, kGuard), pieces(length + kGuardSize, kGuard);
    const bool decoded = DecompressLzma(source, sourceLength, whole.data(), length);
    LzmaStreamDecoder decoder;
    decoder.Begin(sourceLength, pieces.data(), length);
    for (uint32_t at = 0; at < sourceLength; at += piece)
        decoder.Add(source + at, sourceLength - at < piece ? sourceLength - at : piece);
    FUZZ_EXPECT(kTarget, decoder.Complete() && decoder.Decoded() == decoded);
    FUZZ_EXPECT(kTarget, GuardIntact(whole, length) && GuardIntact(pieces, length));
    FUZZ_EXPECT(kTarget, !decoded || std::memcmp(whole.data(), pieces.data(), length) == 0);
}

void SeedLzmaPieces(std::vector<std::string>& out)
{
    // Bytes that hardly compress, so that most of the stream is decoded
    // piece by piece before the held-back end.
    std::string noise(600, '\0');
    uint32_t seed = 1;
    for (char& c : noise) c = char((seed = seed * 1103515245u + 12345u) >> 16);
    testing_package::ArchiveBuilder archive;
    archive.File("a.txt", std::string(300, 'a') + noise, 1).Folder("f");
    const std::vector<uint8_t> bytes = archive.End();
    const uint32_t length = uint32_t(bytes.size());
    const std::string prefix = {char(0), char(length >> 8), char(length)};
    for (bool endMarker : {true, false}) {
        std::vector<uint8_t> encoded;
        CompressLzma(bytes.data(), length, 6, endMarker, &encoded);
        const std::string stream = testing_package::Text(encoded);
        out.push_back(prefix + stream);
        out.push_back(std::string(1, char(6)) + prefix.substr(1) + stream);
        out.push_back(std::string(1, char(199)) + prefix.substr(1) + stream);
    }
}
