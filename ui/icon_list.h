// CIconList: a strip of square 32-bit images with premultiplied alpha, kept
// in the program's resources under the type "ICONLIST", usually compressed.
// The resource holds the image size N and the count C (little-endian, 4
// bytes each) and then the pixels: either exactly N x C x N x 4 raw bytes
// (blue, green, red, alpha; one strip C x N wide, N high, top row first) or
// 5 LZMA property bytes and a raw LZMA stream that decodes to them.
// User-interface thread.
#pragma once

#include "afx/afxwin.h"
#include "ui/dib_section.h"

#include <cstddef>
#include <cstdint>

// The largest strip a list may claim; anything above is taken as a damaged
// or hostile header.
const uint64_t kIconListMaxPixelBytes = 64ull * 1024 * 1024;

// The strip's size in bytes for `size` x `size` images times `count`.
// False when either is 0, the product overflows 32 bits, or it exceeds
// kIconListMaxPixelBytes. Any thread.
bool IconListPixelBytes(uint32_t size, uint32_t count, uint32_t* bytes);

class CIconList {
public:
    // Loads resource "ICONLIST" `resourceId` of the program; a list that
    // cannot be loaded stays empty (count 0) and draws nothing.
    CIconList(UINT resourceId, uint8_t dimAlpha);
    virtual ~CIconList();
    CIconList(const CIconList&) = delete;
    CIconList& operator=(const CIconList&) = delete;

    // Takes the list from the bytes of a resource; false (and an empty list)
    // when the header is refused or the strip cannot be made. Raw pixels are
    // copied; `rawPixels` then points into `data`, which is not kept.
    bool Load(const uint8_t* data, size_t length);

    // Blends image `index` stretched into `rect` (constant alpha 255, or
    // dimAlpha when dimmed). Nothing for an index at or past the count.
    void Draw(HDC dc, const RECT& rect, uint32_t index, bool dimmed) const;

    // The strip's pixel memory, or null while the list is empty.
    const uint8_t* Pixels() const { return static_cast<const uint8_t*>(strip.bits); }

    uint32_t size;
    uint32_t count;
    DibSection strip;
    const uint8_t* rawPixels;
    uint8_t dimAlpha;

private:
    void Clear();
};
