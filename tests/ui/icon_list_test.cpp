#include "tests/support/gtest.h"

#include "ui/icon_list.h"
#include "ui/large_icon.h"

#include <cstring>
#include <string>

namespace {

// An "ICONLIST" resource: size and count (little-endian), then the pixels.
std::string ListOf(uint32_t size, uint32_t count, const std::string& pixels)
{
    std::string bytes(8, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>(size >> (8 * i));
        bytes[4 + i] = static_cast<char>(count >> (8 * i));
    }
    return bytes + pixels;
}

// The 48 pixel bytes (i * 7 + 1) of a 2 x 3 list as 5 LZMA property bytes
// and a raw LZMA1 stream, made once with the xz library's raw encoder.
const std::string kPacked(
    "\x5d\x00\x10\x00\x00\x00\x00\x82\x55\xbb\xa3\xe0\x20\x89\xa9\x94\xe0\xe3\x5a\x6b\x6e\x1b\x9c\xbc\xe3\xde"
    "\x4b\x30\x73\xc7\xbf\x81\x3f\x48\xe5\xd5\xd5\x25\xb7\xd6\x57\x03\x42\x52\x4f\x63\x0a\xa7\x4f\xd0\xbd\xaf"
    "\xed\x6f\x42\x55\x03\x83\xd6\x8f\x15\xff\xfe\x97\x20\x00",
    64);

}  // namespace

TEST(IconList, HeaderLimitsRefuseOverflowAndAbsurdSizes)
{
    const struct {
        uint32_t size, count, bytes;  // bytes 0: refused
    } cases[] = {{128, 1, 65536},
                 {16, 3, 3072},
                 {0, 1, 0},
                 {1, 0, 0},
                 {4096, 1, 64u << 20},
                 {4097, 1, 0},
                 {2048, 5, 0},
                 {0x10000, 1, 0},
                 {0x80000000u, 2, 0},
                 {1, 0x40000000u, 0},
                 {0xFFFFFFFFu, 0xFFFFFFFFu, 0}};
    for (const auto& c : cases) {
        uint32_t bytes = 0;
        EXPECT_EQ(IconListPixelBytes(c.size, c.count, &bytes), c.bytes != 0) << c.size << " x " << c.count;
        EXPECT_EQ(bytes, c.bytes) << c.size << " x " << c.count;
    }
}

TEST(IconList, LoadsRawOrCompressedPixelsAndRefusesBadHeaders)
{
    std::string pixels(48, '\0');
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<char>(i * 7 + 1);
    const struct {
        const char* name;
        std::string bytes;
        bool loaded, whole;
    } cases[] = {
        {"raw pixels", ListOf(2, 3, pixels), true, true},
        {"LZMA", ListOf(2, 3, kPacked), true, true},
        {"one byte short of raw is taken as LZMA", ListOf(2, 3, pixels.substr(0, 47)), true, false},
        {"cut LZMA stream", ListOf(2, 3, kPacked.substr(0, 32)), true, false},
        {"count 0", ListOf(2, 0, pixels), false, false},
        {"size 0", ListOf(0, 3, pixels), false, false},
        {"overflowing size", ListOf(0x10000, 0x10000, pixels), false, false},
        {"absurd size", ListOf(8192, 1, pixels), false, false},
        {"header cut short", std::string("\x02\x00\x00\x00\x03", 5), false, false},
    };
    for (const auto& c : cases) {
        CIconList list(0, 128);
        EXPECT_EQ(list.Load(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()), c.loaded)
            << c.name;
        EXPECT_EQ(list.count, c.loaded ? 3u : 0u) << c.name;
        EXPECT_EQ(c.loaded && std::memcmp(list.Pixels(), pixels.data(), pixels.size()) == 0, c.whole)
            << c.name;
    }
    EXPECT_EQ(CIconList(999, 128).count, 0u) << "a missing resource leaves the list empty";
    EXPECT_EQ(CIconList(kAppIconListId, 128).count, 1u) << "the program's own picture";
}
