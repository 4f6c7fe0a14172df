#include "tests/support/window_pixels.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

WindowPixels::WindowPixels(int w, int h, const std::function<void(HDC)>& paint) : width(w), height(h)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!bitmap || !dc) {
        if (bitmap)
            DeleteObject(bitmap);
        if (dc)
            DeleteDC(dc);
        width = height = 0;
        return;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    std::memset(bits, 0, static_cast<size_t>(w) * h * 4);
    paint(dc);
    GdiFlush();
    pixels_.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + static_cast<size_t>(w) * h);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

COLORREF WindowPixels::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return CLR_INVALID;
    uint32_t bgra = pixels_[static_cast<size_t>(y) * width + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

double WindowPixels::Mix(int x, int y, COLORREF from, COLORREF to) const
{
    COLORREF pixel = At(x, y);
    int channels[3][3] = {{GetRValue(from), GetRValue(to), GetRValue(pixel)},
                          {GetGValue(from), GetGValue(to), GetGValue(pixel)},
                          {GetBValue(from), GetBValue(to), GetBValue(pixel)}};
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (std::abs(channels[i][1] - channels[i][0]) > std::abs(channels[best][1] - channels[best][0]))
            best = i;
    int span = channels[best][1] - channels[best][0];
    if (span == 0)
        return 0;
    return static_cast<double>(channels[best][2] - channels[best][0]) / span;
}

namespace {

BOOL CALLBACK TellThemeChanged(HWND window, LPARAM)
{
    SendMessageA(window, WM_THEMECHANGED, 0, 0);
    return TRUE;
}

BOOL CALLBACK TellTopLevelAndChildren(HWND window, LPARAM)
{
    TellThemeChanged(window, 0);
    EnumChildWindows(window, TellThemeChanged, 0);
    return TRUE;
}

}  // namespace

bool SwitchVisualStyle(bool on)
{
    HMODULE library = LoadLibraryA("uxtheme.dll");
    if (!library)
        return false;
    typedef HRESULT(WINAPI * EnableThemingFn)(BOOL);
    EnableThemingFn enable =
        reinterpret_cast<EnableThemingFn>(reinterpret_cast<void*>(GetProcAddress(library, "EnableTheming")));
    if (!enable || FAILED(enable(on ? TRUE : FALSE)))
        return false;
    // The system tells every window, children too; the test's library
    // changes the setting only, so the windows of this thread are told here.
    EnumThreadWindows(GetCurrentThreadId(), TellTopLevelAndChildren, 0);
    return true;
}
