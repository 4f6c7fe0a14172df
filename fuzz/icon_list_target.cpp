// The "ICONLIST" resource as the program would find it in a damaged or
// hostile build: a list that loads must hold exactly the strip its header
// states, and drawing any of its images, or one past the end, must stay
// within it.
#include "fuzz/fuzz_target.h"

#include "ui/icon_list.h"

#include <cstring>

namespace {

const char kTarget[] = "icon-list";
// No resource of the fuzz program has this id, so the list starts empty.
const UINT kNoResource = 0xFFFF;
// Larger strips are refused or accepted by one comparison; decoding them
// costs the fuzzer time, not coverage.
const uint64_t kLargestStrip = 4u << 20;

uint32_t LittleEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

std::string ListHeader(uint32_t size, uint32_t count)
{
    std::string header(8, '\0');
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<char>(size >> (8 * i));
        header[4 + i] = static_cast<char>(count >> (8 * i));
    }
    return header;
}

void DrawEveryImage(const CIconList& list)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateCompatibleBitmap(dc, 16, 16);
    HGDIOBJ previous = SelectObject(dc, target);
    const RECT rect = {0, 0, 16, 16};
    for (uint32_t index = 0; index <= list.count && index < 4; ++index)
        list.Draw(dc, rect, index, index % 2 == 1);
    SelectObject(dc, previous);
    DeleteObject(target);
    DeleteDC(dc);
}

}  // namespace

void FuzzIconList(const uint8_t* data, size_t size)
{
    if (size >= 8) {
        const uint64_t claimed =
            uint64_t(LittleEndian32(data)) * LittleEndian32(data) * LittleEndian32(data + 4) * 4;
        if (claimed > kLargestStrip && claimed <= kIconListMaxPixelBytes)
            return;
    }
    CIconList list(kNoResource, 128);
    if (!list.Load(data, size)) {
        FUZZ_EXPECT(kTarget, list.count == 0 && list.size == 0 && !list.Pixels());
        return;
    }
    uint32_t bytes = 0;
    FUZZ_EXPECT(kTarget, IconListPixelBytes(list.size, list.count, &bytes));
    FUZZ_EXPECT(kTarget, list.size == LittleEndian32(data) && list.count == LittleEndian32(data + 4));
    FUZZ_EXPECT(kTarget, list.Pixels() != nullptr && list.strip);
    if (size - 8 == bytes)
        FUZZ_EXPECT(kTarget, !std::memcmp(list.Pixels(), data + 8, bytes));
    DrawEveryImage(list);
}

void SeedIconList(std::vector<std::string>& out)
{
    std::string raw = ListHeader(2, 3);
    for (uint32_t i = 0; i < 2 * 3 * 2; ++i) raw += std::string("\x10\x20\x30\x80", 4);
    out.push_back(raw);
    // Any other length is taken as LZMA data: properties lc=3 lp=0 pb=2 and
    // a 64 KiB dictionary, then a stream the decoder refuses early.
    out.push_back(ListHeader(4, 1) + std::string("\x5d\x00\x00\x01\x00\x00\x41\x42", 8));
    out.push_back(ListHeader(0, 1));
    out.push_back(ListHeader(0x10000, 0x10000));
}
