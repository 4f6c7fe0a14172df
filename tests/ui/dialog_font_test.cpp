#include "tests/support/gtest.h"

#include "ui/dialog_font.h"

namespace {
LOGFONTA Describe(const CFont* font)
{
    LOGFONTA description = {};
    GetObjectA(font->GetSafeHandle(), sizeof description, &description);
    return description;
}
}  // namespace

TEST(DialogFont, PointsBecomeNegativeHeightsForTheScreen)
{
    HDC screen = GetDC(nullptr);
    int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // 65535 points must not overflow on the way.
    const uint16_t points[] = {0, 8, 9, 72, 65535};
    for (uint16_t p : points)
        EXPECT_EQ(PointsToHeight(p), -MulDiv(p, pixelsPerInch, 72)) << p;
    if (pixelsPerInch == 96) {
        EXPECT_EQ(PointsToHeight(8), -11);  // 10.67 rounds up
    }
}

TEST(DialogFont, MakeDialogFontSetsOnlyFaceHeightAndWeight)
{
    struct Case {
        const char* face;
        uint16_t points;
        bool bold;
        LONG weight;
    };
    const Case cases[] = {
        {"MS Shell Dlg 2", 8, true, FW_BOLD},
        {"MS Shell Dlg 2", 8, false, 0},
        {"Tahoma", 12, false, 0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CFont> font = MakeDialogFont(c.face, c.points, c.bold);
        ASSERT_TRUE(font && font->GetSafeHandle()) << c.face;
        LOGFONTA d = Describe(font.get());
        EXPECT_STREQ(d.lfFaceName, c.face);
        EXPECT_EQ(d.lfHeight, PointsToHeight(c.points));
        EXPECT_EQ(d.lfWeight, c.weight);
        EXPECT_EQ(d.lfWidth, 0);
        EXPECT_EQ(d.lfItalic, 0);
        EXPECT_EQ(d.lfUnderline, 0);
        EXPECT_EQ(d.lfStrikeOut, 0);
        EXPECT_EQ(d.lfCharSet, ANSI_CHARSET);
        EXPECT_EQ(d.lfQuality, DEFAULT_QUALITY);
        EXPECT_EQ(d.lfPitchAndFamily, DEFAULT_PITCH);
    }
    // A face longer than the system allows is cut, not overrun.
    std::unique_ptr<CFont> cut = MakeDialogFont("A face name that is much longer than thirty-one", 8, false);
    ASSERT_TRUE(cut && cut->GetSafeHandle());
    EXPECT_EQ(std::string(Describe(cut.get()).lfFaceName).size(), size_t{LF_FACESIZE - 1});
}
