#include "tests/support/gtest.h"

#include "package/lzma_decode.h"
#include "tests/package/package_helpers.h"

#include <string>
#include <vector>

using testing_package::EncodeLzma;

namespace {

std::vector<uint8_t> SampleData()
{
    std::vector<uint8_t> data;
    for (int i = 0; i < 20000; ++i)
        data.push_back(uint8_t((i * i) >> 3));
    return data;
}

}  // namespace

TEST(DecompressLzma, DecodesExactlyTheArchiveSizeWithOrWithoutEndMarker)
{
    const std::vector<uint8_t> data = SampleData();
    const std::vector<uint8_t> marked = EncodeLzma(data, true);
    const std::vector<uint8_t> unmarked = EncodeLzma(data, false);
    ASSERT_EQ(std::vector<uint8_t>(marked.begin(), marked.begin() + 5),
              (std::vector<uint8_t>{0x5D, 0x00, 0x00, 0x00, 0x02}));
    ASSERT_LT(unmarked.size(), marked.size());
    std::vector<uint8_t> markedPlusOne = marked;
    markedPlusOne.push_back(0);
    std::vector<uint8_t> unmarkedPlusOne = unmarked;
    unmarkedPlusOne.push_back(0);
    std::vector<uint8_t> badProperties = marked;
    badProperties[0] = 0xE1;  // lc/lp/pb beyond 9*5*5
    struct Case {
        const char* label;
        const std::vector<uint8_t>* source;
        uint32_t sourceLength;
        uint32_t destinationLength;
        bool expected;
    } cases[] = {
        {"with end marker", &marked, uint32_t(marked.size()), uint32_t(data.size()), true},
        {"without end marker", &unmarked, uint32_t(unmarked.size()), uint32_t(data.size()), true},
        {"archive size one byte longer (marked)", &marked, uint32_t(marked.size()), uint32_t(data.size() + 1), false},
        {"archive size one byte longer (unmarked)", &unmarked, uint32_t(unmarked.size()), uint32_t(data.size() + 1),
         false},
        {"archive size one byte shorter (marked)", &marked, uint32_t(marked.size()), uint32_t(data.size() - 1),
         false},
        {"archive size one byte shorter (unmarked)", &unmarked, uint32_t(unmarked.size()),
         uint32_t(data.size() - 1), false},
        {"one unread byte after the marker", &markedPlusOne, uint32_t(markedPlusOne.size()), uint32_t(data.size()),
         false},
        {"one unread byte after the stream", &unmarkedPlusOne, uint32_t(unmarkedPlusOne.size()),
         uint32_t(data.size()), false},
        {"truncated stream", &marked, uint32_t(marked.size() / 2), uint32_t(data.size()), false},
        {"invalid properties", &badProperties, uint32_t(badProperties.size()), uint32_t(data.size()), false},
        {"shorter than the properties", &marked, 4, uint32_t(data.size()), false},
        {"only the properties", &marked, 5, uint32_t(data.size()), false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> destination(c.destinationLength + 16, 0xCC);
        bool decoded = DecompressLzma(c.source->data(), c.sourceLength, destination.data(), c.destinationLength);
        EXPECT_EQ(decoded, c.expected) << c.label;
        EXPECT_EQ(destination[c.destinationLength], 0xCC) << c.label << ": nothing written past the destination";
        if (c.expected) {
            EXPECT_TRUE(std::equal(data.begin(), data.end(), destination.begin())) << c.label;
        }
    }
}
