#include "ui/dialog_font.h"

#include <new>

int32_t PointsToHeight(uint16_t points)
{
    HDC screen = GetDC(nullptr);
    int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return -MulDiv(points, pixelsPerInch, 72);
}

std::unique_ptr<CFont> MakeDialogFont(const char* face, uint16_t points, bool bold)
{
    LOGFONTA description = {};
    description.lfHeight = PointsToHeight(points);
    description.lfWeight = bold ? FW_BOLD : 0;
    lstrcpynA(description.lfFaceName, face ? face : "", LF_FACESIZE);
    std::unique_ptr<CFont> font(new (std::nothrow) CFont);
    if (font)
        font->CreateFontIndirect(&description);
    return font;
}

CFont* DialogBoldFont()
{
    static CFont* const font = MakeDialogFont("MS Shell Dlg 2", 8, true).release();
    return font;
}
