#include "tests/support/gtest.h"

#include "package/lzma_decode.h"
#include "tests/support/package_builder.h"

#include <algorithm>
#include <vector>

using testing_package::EncodeLzma;

TEST(DecompressLzma, DecodesExactlyTheArchiveSizeWithOrWithoutEndMarker)
{
    std::vector<uint8_t> data;
    for (int i = 0; i < 20000; ++i)
        data.push_back(uint8_t((i * i) >> 3));
    const uint32_t size = uint32_t(data.size());
    ASSERT_LT(EncodeLzma(data, false).size(), EncodeLzma(data, true).size()) << "the marker is left out";
    for (bool endMarker : {true, false}) {
        const std::vector<uint8_t> stream = EncodeLzma(data, endMarker);
        std::vector<uint8_t> plusOne = stream, badProperties = stream;
        plusOne.push_back(0);
        badProperties[0] = 0xE1;  // lc/lp/pb beyond 9*5*5
        struct Case {
            const char* label;
            const std::vector<uint8_t>& source;
            uint32_t sourceLength;
            uint32_t destinationLength;
            bool expected;
        } cases[] = {
            {"whole stream", stream, uint32_t(stream.size()), size, true},
            {"archive size one byte longer", stream, uint32_t(stream.size()), size + 1, false},
            {"archive size one byte shorter", stream, uint32_t(stream.size()), size - 1, false},
            {"one unread byte after the stream", plusOne, uint32_t(plusOne.size()), size, false},
            {"truncated stream", stream, uint32_t(stream.size() / 2), size, false},
            {"invalid properties", badProperties, uint32_t(badProperties.size()), size, false},
            {"shorter than the properties", stream, 4, size, false},
            {"only the properties", stream, 5, size, false},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(endMarker ? "with end marker" : "without end marker");
            std::vector<uint8_t> destination(c.destinationLength + 16, 0xCC);
            EXPECT_EQ(
                DecompressLzma(c.source.data(), c.sourceLength, destination.data(), c.destinationLength),
                c.expected)
                << c.label;
            EXPECT_EQ(destination[c.destinationLength], 0xCC)
                << c.label << ": nothing written past the destination";
            if (c.expected) {
                EXPECT_TRUE(std::equal(data.begin(), data.end(), destination.begin())) << c.label;
            }
        }
    }
}
