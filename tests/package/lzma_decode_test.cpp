#include "tests/support/gtest.h"

#include "package/lzma_decode.h"
#include "package/lzma_decode_thread.h"
#include "tests/support/data_rows.h"
#include "tests/support/package_builder.h"

using namespace testing_package;

// The cases of tests/data/lzma.txt: what the case is | source | the
// destination's length | yes when it decodes.
TEST(DecompressLzma, DecodesExactlyTheArchiveSizeWithOrWithoutEndMarker)
{
    const std::string archive = DataFile("good-stored.pkg").substr(16);
    for (const DataRow& c : ReadDataRows("lzma.txt")) {
        const std::string source = DataBytes(c.at(1));
        const uint32_t length = std::stoul(c.at(2));
        std::string destination(length + 16, '\xCC');
        const bool decoded =
            DecompressLzma(reinterpret_cast<const uint8_t*>(source.data()), uint32_t(source.size()),
                           reinterpret_cast<uint8_t*>(&destination[0]), length);
        EXPECT_EQ(std::string(decoded ? "decodes " : "fails ") + destination.substr(decoded ? 0 : length),
                  (c.at(3) == "yes" ? "decodes " + archive : "fails ") + std::string(16, '\xCC'))
            << c[0];
        // Fed in two pieces split at every place, with bytes that are no part
        // of the source behind them, and byte by byte (split past the end):
        // the same outcome and the same bytes.
        const std::string fed = source + "after";
        for (size_t split = 0; split <= source.size() + 1; ++split) {
            std::string pieces(length + 16, '\xCC');
            LzmaStreamDecoder decoder;
            decoder.Begin(uint32_t(source.size()), reinterpret_cast<uint8_t*>(&pieces[0]), length);
            const uint8_t* bytes = reinterpret_cast<const uint8_t*>(fed.data());
            if (split > source.size()) {
                for (size_t at = 0; at < fed.size(); ++at) decoder.Add(bytes + at, 1);
            } else {
                decoder.Add(bytes, uint32_t(split));
                decoder.Add(bytes + split, uint32_t(fed.size() - split));
            }
            EXPECT_TRUE(decoder.Complete());
            EXPECT_EQ(decoder.Decoded(), decoded) << c[0] << ", split at " << split;
            EXPECT_EQ(pieces.substr(decoded ? 0 : length), destination.substr(decoded ? 0 : length))
                << c[0] << ", split at " << split;
        }
        // On a thread, ended halfway (no wait for bytes that never come), then
        // fed as a download fills its buffer, the last count past the end.
        std::string threaded(length + 16, '\xCC');
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(fed.data());
        const uint32_t size = uint32_t(source.size());
        LzmaDecodeThread thread;
        thread.Begin(bytes, size, reinterpret_cast<uint8_t*>(&threaded[0]), length);
        thread.Arrived(size / 2);
        thread.End();
        EXPECT_FALSE(thread.Complete());
        thread.Begin(bytes, size, reinterpret_cast<uint8_t*>(&threaded[0]), length);
        for (uint32_t count : {1u, size / 3, size * 2 / 3, size + 5}) thread.Arrived(count);
        EXPECT_EQ(thread.Decoded(), decoded) << c[0] << ", on a thread";
        EXPECT_EQ(threaded.substr(decoded ? 0 : length), destination.substr(decoded ? 0 : length)) << c[0];
    }
}
