#include "ui/icon_list.h"

#include "base/byte_order.h"
#include "base/resource.h"
#include "package/lzma_decode.h"

#include <cstring>

namespace {

const char kIconListType[] = "ICONLIST";
const size_t kHeaderSize = 8;

}  // namespace

bool IconListPixelBytes(uint32_t size, uint32_t count, uint32_t* bytes)
{
    if (size == 0 || count == 0)
        return false;
    // In 64 bits N x N cannot overflow, and once it is within the limit
    // neither can the product with C x 4.
    uint64_t total = static_cast<uint64_t>(size) * size;
    if (total > kIconListMaxPixelBytes)
        return false;
    total *= static_cast<uint64_t>(count) * 4;
    if (total > kIconListMaxPixelBytes)
        return false;
    *bytes = static_cast<uint32_t>(total);
    return true;
}

CIconList::CIconList(UINT resourceId, uint8_t alpha)
    : size(0), count(0), strip(), rawPixels(nullptr), dimAlpha(alpha)
{
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    if (LoadProgramResource(kIconListType, static_cast<WORD>(resourceId), &data, &length))
        Load(data, length);
}

CIconList::~CIconList() { Clear(); }

void CIconList::Clear()
{
    strip.Release();
    rawPixels = nullptr;
    size = 0;
    count = 0;
}

bool CIconList::Load(const uint8_t* data, size_t length)
{
    Clear();
    if (!data || length < kHeaderSize)
        return false;
    uint32_t imageSize = LoadLittleEndian32(data);
    uint32_t imageCount = LoadLittleEndian32(data + 4);
    uint32_t pixelBytes = 0;
    if (!IconListPixelBytes(imageSize, imageCount, &pixelBytes))
        return false;
    // Within the pixel limit both sides fit a signed 32-bit size.
    if (!strip.Create(static_cast<int32_t>(imageSize * imageCount), static_cast<int32_t>(imageSize), 32))
        return false;
    size = imageSize;
    count = imageCount;
    const uint8_t* rest = data + kHeaderSize;
    size_t restLength = length - kHeaderSize;
    if (restLength == pixelBytes) {
        std::memcpy(strip.bits, rest, pixelBytes);
        rawPixels = rest;
    } else if (restLength <= UINT32_MAX) {
        // A stream that stops short leaves the rest of the strip clear: the
        // picture may be partial, but the dialog that shows it still works.
        DecompressLzma(rest, static_cast<uint32_t>(restLength), static_cast<uint8_t*>(strip.bits),
                       pixelBytes);
    }
    return true;
}

void CIconList::Draw(HDC dc, const RECT& rect, uint32_t index, bool dimmed) const
{
    if (index >= count || !strip)
        return;
    HDC source = CreateCompatibleDC(dc);
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source, strip.bitmap);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, dimmed ? dimAlpha : static_cast<BYTE>(255), AC_SRC_ALPHA};
    AlphaBlend(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source,
               static_cast<int>(index * size), 0, static_cast<int>(size), static_cast<int>(size), blend);
    SelectObject(source, previous);
    DeleteDC(source);
}
