#include "ui/sizing_hit_test.h"

namespace {

LRESULT NoResizing(LRESULT hit)
{
    switch (hit) {
        case HTGROWBOX:
        case HTLEFT:
        case HTRIGHT:
        case HTTOP:
        case HTTOPLEFT:
        case HTTOPRIGHT:
        case HTBOTTOM:
        case HTBOTTOMLEFT:
        case HTBOTTOMRIGHT:
            return HTBORDER;
        default:
            return hit;
    }
}

LRESULT VerticalOnly(LRESULT hit)
{
    switch (hit) {
        case HTLEFT:
        case HTRIGHT:
            return HTBORDER;
        case HTTOPLEFT:
        case HTTOPRIGHT:
            return HTTOP;
        case HTBOTTOMLEFT:
        case HTBOTTOMRIGHT:
        case HTGROWBOX:
            return HTBOTTOM;
        default:
            return hit;
    }
}

LRESULT HorizontalOnly(LRESULT hit)
{
    switch (hit) {
        case HTTOP:
        case HTBOTTOM:
            return HTBORDER;
        case HTTOPLEFT:
        case HTBOTTOMLEFT:
            return HTLEFT;
        case HTTOPRIGHT:
        case HTBOTTOMRIGHT:
        case HTGROWBOX:
            return HTRIGHT;
        default:
            return hit;
    }
}

}  // namespace

LRESULT FilterSizingHitTest(uint8_t mode, LRESULT hit)
{
    switch (mode) {
        case 0:
            return NoResizing(hit);
        case 1:
            return VerticalOnly(hit);
        case 2:
            return HorizontalOnly(hit);
        default:
            return hit;
    }
}
