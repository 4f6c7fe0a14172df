#include "tests/support/gtest.h"

#include "package/lzma_decode.h"
#include "tests/support/package_builder.h"

using namespace testing_package;

// The cases of tests/data/lzma.txt: what the case is | source | the
// destination's length | yes when it decodes.
TEST(DecompressLzma, DecodesExactlyTheArchiveSizeWithOrWithoutEndMarker)
{
    const std::string archive = DataFile("good-stored.pkg").substr(16);
    for (const std::vector<std::string>& c : DataTable("lzma.txt")) {
        const std::string source = DataBytes(c.at(1));
        const uint32_t length = std::stoul(c.at(2));
        std::string destination(length + 16, '\xCC');
        const bool decoded =
            DecompressLzma(reinterpret_cast<const uint8_t*>(source.data()), uint32_t(source.size()),
                           reinterpret_cast<uint8_t*>(&destination[0]), length);
        EXPECT_EQ(std::string(decoded ? "decodes " : "fails ") + destination.substr(decoded ? 0 : length),
                  (c.at(3) == "yes" ? "decodes " + archive : "fails ") + std::string(16, '\xCC'))
            << c[0];
    }
}
