#include "tests/support/gtest.h"

#include "tests/support/window_script.h"
#include "ui/alert_dialog.h"
#include "ui/cancel_dialog.h"
#include "ui/install_dialog.h"
#include "ui/installed_dialog.h"
#include "ui/no_response_dialog.h"
#include "ui/progress_frame.h"
#include "ui/proxy_settings_dialog.h"

#include <memory>

namespace {

// How far the window's centre lies from the work area's, in pixels, on the farther axis.
LONG OffCentre(HWND window)
{
    RECT area = {}, shown = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(window, &shown);
    return std::max(std::abs((shown.left + shown.right) - (area.left + area.right)),
                    std::abs((shown.top + shown.bottom) - (area.top + area.bottom))) /
           2;
}

}  // namespace

// Every dialog opens centred in the work area (they are unowned), not at its corner.
TEST(WindowPlacement, EveryDialogOpensCentred)
{
    auto alert = std::make_unique<CAlertDialog>();
    lstrcpyA(alert->title, "Unable to Open URL");
    const struct {
        const char* caption;
        std::unique_ptr<CDialog> dialog;
    } rows[] = {
        {"Unable to Open URL", std::move(alert)},
        {"Quorvalent - Install", std::make_unique<CInstallDialog>()},
        {"Cancel Quorvalent Installation?", std::make_unique<CCancelDialog>()},
        {"Quorvalent - Already Installed", std::make_unique<CInstalledDialog>()},
        {"No Response From Quorvalent Server", std::make_unique<CNoResponseDialog>()},
        {"Proxy Settings", std::make_unique<CProxySettingsDialog>()},
    };
    for (const auto& row : rows) {
        LONG off = -1;
        EXPECT_TRUE(RunScripted([&] { row.dialog->DoModal(); }, {{row.caption,
                                                                  [&](HWND dialog) {
                                                                      off = OffCentre(dialog);
                                                                      row.dialog->EndDialog(IDCANCEL);
                                                                  }}}))
            << row.caption;
        EXPECT_TRUE(off >= 0 && off <= 1) << row.caption << " is " << off << " px off centre";
    }
}

// The progress window: its size holds against any change (a window manager
// drags the border without asking the hit test) while moves still go through,
// and a change of the system colours reaches its bar.
TEST(WindowPlacement, ProgressWindowKeepsItsSizeAndFollowsSystemColours)
{
    CProgressFrame frame;
    ASSERT_TRUE(frame.HasWindow());
    const struct {
        int dx, dy, dw, dh;
        bool moves;
    } rows[] = {
        {30, 20, 0, 0, true},      // a caption drag
        {0, 0, 40, 10, false},     // the right and bottom border
        {-40, -10, 40, 10, false}  // the top-left corner: no size, and no move either
    };
    for (const auto& row : rows) {
        RECT before = {}, after = {};
        GetWindowRect(frame.m_hWnd, &before);
        SetWindowPos(frame.m_hWnd, nullptr, before.left + row.dx, before.top + row.dy,
                     before.right - before.left + row.dw, before.bottom - before.top + row.dh,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        GetWindowRect(frame.m_hWnd, &after);
        EXPECT_EQ(after.right - after.left, before.right - before.left) << row.dw;
        EXPECT_EQ(after.bottom - after.top, before.bottom - before.top) << row.dh;
        EXPECT_EQ(after.left - before.left, row.moves ? row.dx : 0) << row.dx;
    }

    int element = COLOR_ACTIVECAPTION;
    COLORREF was = GetSysColor(element), changed = was ^ 0x00FF8040;
    SetSysColors(1, &element, &changed);
    SendMessageA(frame.m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(frame.bar.chunkColour, changed);
    SetSysColors(1, &element, &was);
}
