#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "package/package_format.h"

#include <vector>

namespace {

ErrorCode ParseOutcome(const std::vector<uint8_t>& bytes, uint32_t expected, PackageHeader* header)
{
    try {
        ParsePackageHeader(bytes.data(), expected, header);
    } catch (ErrorCode code) {
        return code;
    }
    return 0;
}

}  // namespace

TEST(PackageHeader, ChecksVersionNumberAndSizesInThatOrder)
{
    struct Case {
        const char* label;
        std::vector<uint8_t> bytes;
        ErrorCode expected;
    } cases[] = {
        {"the embedded package",
         {0x01,                    // version
          0x00,                    // flags
          0x00, 0x01,              // package number 1
          0x00, 0x12, 0x1E, 0xDA,  // archive size 1187546
          0x00, 0x06, 0x13, 0xE8,  // compressed size 398312
          0x00, 0x00, 0x00, 0x00}, // trailing size
         0},
        {"version 2 is refused before the zero sizes are seen",
         {0x02, 0x00, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kErrorMalformed},
        {"another package number",
         {0x01, 0x00, 0x00, 0x02, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0}, kErrorMalformed},
        {"number 0x0101 is not 1 (both bytes count)",
         {0x01, 0x00, 0x01, 0x01, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0}, kErrorMalformed},
        {"archive size 0", {0x01, 0x00, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}, kErrorMalformed},
        {"compressed size 0", {0x01, 0x00, 0x00, 0x01, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}, kErrorMalformed},
        {"scrambled flag and trailing bytes are only recorded",
         {0x01, 0xFF, 0x00, 0x01, 0, 0, 0, 9, 0, 0, 0, 9, 0xFF, 0xFF, 0xFF, 0xFF}, 0},
    };
    for (const Case& c : cases) {
        PackageHeader header = {};
        EXPECT_EQ(ParseOutcome(c.bytes, 1, &header), c.expected) << c.label;
    }
    PackageHeader header = {};
    ASSERT_EQ(ParseOutcome(cases[0].bytes, 1, &header), 0);
    EXPECT_EQ(header.archiveSize, 1187546u);
    EXPECT_EQ(header.compressedSize, 398312u);
    EXPECT_EQ(header.trailingSize, 0u);
    ASSERT_EQ(ParseOutcome(cases[6].bytes, 1, &header), 0);
    EXPECT_EQ(header.flags, 0xFF);
    EXPECT_EQ(header.trailingSize, 0xFFFFFFFFu);

    uint8_t encoded[kPackageHeaderSize];
    PackageHeader embedded = {0, 1, 1187546, 398312, 0};
    EncodePackageHeader(embedded, encoded);
    EXPECT_EQ(std::vector<uint8_t>(encoded, encoded + 16), cases[0].bytes);
}
