#include "tests/support/gtest.h"

#include "ui/sizing_hit_test.h"

TEST(FilterSizingHitTest, MapsEachSizingCodeAsItsModeAllows)
{
    // Columns: hit code, then the result for modes 0, 1, 2 and 3 (free).
    struct Row {
        LRESULT hit;
        LRESULT mode0, mode1, mode2, mode3;
    };
    const Row rows[] = {
        {HTGROWBOX, HTBORDER, HTBOTTOM, HTRIGHT, HTGROWBOX},
        {HTLEFT, HTBORDER, HTBORDER, HTLEFT, HTLEFT},
        {HTRIGHT, HTBORDER, HTBORDER, HTRIGHT, HTRIGHT},
        {HTTOP, HTBORDER, HTTOP, HTBORDER, HTTOP},
        {HTTOPLEFT, HTBORDER, HTTOP, HTLEFT, HTTOPLEFT},
        {HTTOPRIGHT, HTBORDER, HTTOP, HTRIGHT, HTTOPRIGHT},
        {HTBOTTOM, HTBORDER, HTBOTTOM, HTBORDER, HTBOTTOM},
        {HTBOTTOMLEFT, HTBORDER, HTBOTTOM, HTLEFT, HTBOTTOMLEFT},
        {HTBOTTOMRIGHT, HTBORDER, HTBOTTOM, HTRIGHT, HTBOTTOMRIGHT},
        // Codes that do not size pass through every mode.
        {HTBORDER, HTBORDER, HTBORDER, HTBORDER, HTBORDER},
        {HTCAPTION, HTCAPTION, HTCAPTION, HTCAPTION, HTCAPTION},
        {HTCLIENT, HTCLIENT, HTCLIENT, HTCLIENT, HTCLIENT},
        {HTCLOSE, HTCLOSE, HTCLOSE, HTCLOSE, HTCLOSE},
        {HTNOWHERE, HTNOWHERE, HTNOWHERE, HTNOWHERE, HTNOWHERE},
        {HTERROR, HTERROR, HTERROR, HTERROR, HTERROR},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FilterSizingHitTest(0, row.hit), row.mode0) << "hit " << row.hit;
        EXPECT_EQ(FilterSizingHitTest(1, row.hit), row.mode1) << "hit " << row.hit;
        EXPECT_EQ(FilterSizingHitTest(2, row.hit), row.mode2) << "hit " << row.hit;
        EXPECT_EQ(FilterSizingHitTest(3, row.hit), row.mode3) << "hit " << row.hit;
        EXPECT_EQ(FilterSizingHitTest(255, row.hit), row.hit) << "hit " << row.hit;
    }
}
