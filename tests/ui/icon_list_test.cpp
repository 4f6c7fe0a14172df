#include "tests/support/gtest.h"

#include "tests/support/window_pixels.h"
#include "ui/icon_list.h"
#include "ui/large_icon.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Header(uint32_t size, uint32_t count)
{
    std::vector<uint8_t> bytes(8);
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(size >> (8 * i));
        bytes[4 + i] = static_cast<uint8_t>(count >> (8 * i));
    }
    return bytes;
}

// The 48 pixel bytes (i * 7 + 1) of a 2 x 3 list as 5 LZMA property bytes
// and a raw LZMA1 stream, made once with the xz library's raw encoder.
const std::vector<uint8_t> kPackedPixels = {
    0x5d, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x82, 0x55, 0xbb, 0xa3, 0xe0, 0x20, 0x89, 0xa9, 0x94, 0xe0,
    0xe3, 0x5a, 0x6b, 0x6e, 0x1b, 0x9c, 0xbc, 0xe3, 0xde, 0x4b, 0x30, 0x73, 0xc7, 0xbf, 0x81, 0x3f, 0x48,
    0xe5, 0xd5, 0xd5, 0x25, 0xb7, 0xd6, 0x57, 0x03, 0x42, 0x52, 0x4f, 0x63, 0x0a, 0xa7, 0x4f, 0xd0, 0xbd,
    0xaf, 0xed, 0x6f, 0x42, 0x55, 0x03, 0x83, 0xd6, 0x8f, 0x15, 0xff, 0xfe, 0x97, 0x20, 0x00};

std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(IconList, HeaderLimitsRefuseOverflowAndAbsurdSizes)
{
    struct Case {
        uint32_t size, count;
        bool accepted;
        uint32_t bytes;
    };
    const Case cases[] = {
        {128, 1, true, 65536},       {16, 3, true, 3072},          {0, 1, false, 0},
        {1, 0, false, 0},            {4096, 1, true, 64u << 20},   {4097, 1, false, 0},
        {2048, 5, false, 0},         {0x10000, 1, false, 0},       {0x80000000u, 2, false, 0},
        {1, 0x40000000u, false, 0},  {0xFFFFFFFFu, 0xFFFFFFFFu, false, 0},
    };
    for (const Case& c : cases) {
        uint32_t bytes = 0;
        EXPECT_EQ(IconListPixelBytes(c.size, c.count, &bytes), c.accepted) << c.size << " x " << c.count;
        if (c.accepted) {
            EXPECT_EQ(bytes, c.bytes) << c.size << " x " << c.count;
        }
    }
}

TEST(IconList, LoadsRawOrCompressedPixelsAndRefusesBadHeaders)
{
    std::vector<uint8_t> pixels(2 * 3 * 2 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 7 + 1);
    const std::vector<uint8_t>& packed = kPackedPixels;
    std::vector<uint8_t> oneShort(pixels.begin(), pixels.end() - 1);
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
        bool loaded;
        bool pixelsIntact;
        bool raw;
    };
    const Case cases[] = {
        {"raw pixels", Joined(Header(2, 3), pixels), true, true, true},
        {"LZMA", Joined(Header(2, 3), packed), true, true, false},
        {"one byte short of raw is taken as LZMA", Joined(Header(2, 3), oneShort), true, false, false},
        {"cut LZMA stream", Joined(Header(2, 3), std::vector<uint8_t>(packed.begin(), packed.begin() + packed.size() / 2)), true,
         false, false},
        {"count 0", Joined(Header(2, 0), pixels), false, false, false},
        {"size 0", Joined(Header(0, 3), pixels), false, false, false},
        {"overflowing size", Joined(Header(0x10000, 0x10000), pixels), false, false, false},
        {"absurd size", Joined(Header(8192, 1), pixels), false, false, false},
        {"header cut short", std::vector<uint8_t>{2, 0, 0, 0, 3}, false, false, false},
    };
    for (const Case& c : cases) {
        CIconList list(0, 128);
        EXPECT_EQ(list.Load(c.bytes.data(), c.bytes.size()), c.loaded) << c.name;
        EXPECT_EQ(list.count, c.loaded ? 3u : 0u) << c.name;
        EXPECT_EQ(list.rawPixels != nullptr, c.raw) << c.name;
        if (c.loaded) {
            EXPECT_EQ(std::memcmp(list.Pixels(), pixels.data(), pixels.size()) == 0, c.pixelsIntact) << c.name;
        }
    }
}

TEST(IconList, ProgramPictureDrawsAndOtherIndicesDrawNothing)
{
    CIconList missing(999, 128);
    EXPECT_EQ(missing.count, 0u);

    CIconList list(kAppIconListId, 128);
    ASSERT_EQ(list.size, 128u);
    ASSERT_EQ(list.count, 1u);
    EXPECT_EQ(list.rawPixels, nullptr) << "the program's list is stored compressed";
    // Premultiplied: no colour channel above its alpha; the corner is clear,
    // the middle opaque.
    const uint8_t* p = list.Pixels();
    for (uint32_t i = 0; i < 128 * 128; ++i)
        ASSERT_LE(std::max({p[i * 4], p[i * 4 + 1], p[i * 4 + 2]}), p[i * 4 + 3]) << "pixel " << i;
    EXPECT_EQ(p[3], 0);
    EXPECT_EQ(p[(64 * 128 + 64) * 4 + 3], 255);

    const COLORREF grey = RGB(0x40, 0x40, 0x40);
    auto drawn = [&](uint32_t index, bool dimmed) {
        return WindowPixels(128, 128, [&](HDC dc) {
            RECT all = {0, 0, 128, 128};
            HBRUSH brush = CreateSolidBrush(grey);
            FillRect(dc, &all, brush);
            DeleteObject(brush);
            list.Draw(dc, all, index, dimmed);
        });
    };
    WindowPixels plain = drawn(0, false);
    WindowPixels dimmed = drawn(0, true);
    WindowPixels beyond = drawn(1, false);
    EXPECT_EQ(plain.At(0, 0), grey);
    EXPECT_NE(plain.At(64, 20), grey);
    EXPECT_NEAR(dimmed.Mix(64, 20, grey, plain.At(64, 20)), 128.0 / 255, 0.05);
    EXPECT_EQ(beyond.At(64, 20), grey);
}

TEST(LargeIcon, BindingToItsControlSizesItToThePictureAndMargin)
{
    HWND dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    HWND control = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ICON, 10, 20, 32, 32, dialog,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kLargeIconControlId)), nullptr,
                                   nullptr);
    ASSERT_NE(control, nullptr);
    {
        CWnd parent;
        ASSERT_TRUE(parent.Attach(dialog));
        CLargeIcon icon(kAppIconListId, kAppIconIndex, kAppIconSize);
        ASSERT_NE(icon.list, nullptr);
        EXPECT_EQ(icon.list->count, 1u);
        ASSERT_TRUE(icon.SubclassDlgItem(kLargeIconControlId, &parent));
        RECT placed = {};
        GetWindowRect(control, &placed);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(placed.left, 10);
        EXPECT_EQ(placed.top, 20);
        EXPECT_EQ(placed.right - placed.left, 132);
        EXPECT_EQ(placed.bottom - placed.top, 132);
        UpdateWindow(control);
        parent.Detach();
    }
    EXPECT_TRUE(IsWindow(control)) << "the control outlives the object in its dialog";
    DestroyWindow(dialog);
}
