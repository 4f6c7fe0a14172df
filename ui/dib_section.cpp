#include "ui/dib_section.h"

bool DibSection::Create(int32_t w, int32_t h, uint16_t bitCount)
{
    Release();
    if (w <= 0 || h <= 0)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        bits = nullptr;
        return false;
    }
    width = w;
    height = h;
    return true;
}

void DibSection::Release()
{
    if (bitmap)
        DeleteObject(bitmap);
    bitmap = nullptr;
    bits = nullptr;
    width = 0;
    height = 0;
}
