#include "tests/support/gtest.h"

#include "base/alert.h"
#include "base/error_code.h"
#include "tests/support/window_script.h"
#include "ui/alert_dialog.h"

namespace {

const UINT kFail = WM_APP + 1;  // its handler throws

// An alert that keeps its window's messages (WM_SHOWWINDOW only when
// showing) and runs `atInit` while it initialises.
struct LoggedAlert : CAlertDialog {
    std::vector<UINT> log;
    std::function<void(LoggedAlert&)> atInit;
    BOOL OnInitDialog() override { return CAlertDialog::OnInitDialog(), atInit(*this), TRUE; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_SHOWWINDOW || wParam)
            log.push_back(message);
        return message == kFail ? throw ErrorCode(kErrorMalformed)
                                : CAlertDialog::WindowProc(message, wParam, lParam);
    }
    // Whether the messages appear in the log in this order.
    bool Logged(const std::vector<UINT>& expected) const
    {
        size_t next = 0;
        for (UINT message : log) next += next < expected.size() && message == expected[next];
        return next == expected.size();
    }
};

// Whether the dialog has an owner, whether its corner offers sizing although
// it got a sizing frame, and how long its message is.
std::string Bearing(HWND dialog)
{
    SetWindowLongA(dialog, GWL_STYLE, GetWindowLongA(dialog, GWL_STYLE) | WS_THICKFRAME);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    RECT r;
    GetWindowRect(dialog, &r);
    bool sizing = SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(r.right - 1, r.bottom - 1)) != HTBORDER;
    char text[4096];
    return std::string(GetWindow(dialog, GW_OWNER) ? "; owned" : "; unowned") +
           (sizing ? ", sizing" : ", fixed") + ", message of " +
           std::to_string(GetDlgItemTextA(dialog, 1006, text, sizeof text));
}

}  // namespace

TEST(CDialogEx, EachModalRunEndsWithItsCodeAndLeavesNoWindow)
{
    const struct {
        const char* name;
        bool duringInit;
        std::function<void(LoggedAlert&)> act;
        std::string outcome;
    } cases[] = {
        {"OK", false, [](LoggedAlert& d) { ClickButton(d.m_hWnd, IDOK); }, "1, shown, commanded, gone"},
        {"Enter", false, [](LoggedAlert&) { PostKeyToFocus(VK_RETURN); }, "1, shown, commanded, gone"},
        {"Escape", false, [](LoggedAlert&) { PostKeyToFocus(VK_ESCAPE); }, "2, shown, commanded, gone"},
        {"close box", false, [](LoggedAlert& d) { PostMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); },
         "2, shown, commanded, gone"},
        {"a handler throws", false, [](LoggedAlert& d) { SendMessageA(d.m_hWnd, kFail, 0, 0); },
         "-1, shown, gone"},
        {"initialisation throws", true, [](LoggedAlert& d) { SendMessageA(d.m_hWnd, kFail, 0, 0); },
         "-1, never shown, gone"},
        {"ended while initialising", true, [](LoggedAlert& d) { d.EndDialog(7); }, "7, never shown, gone"}};
    for (const auto& c : cases) {
        HWND window = nullptr;
        std::string outcome;
        LoggedAlert dialog;
        dialog.SetTitle("Alert");
        dialog.SetMessage(std::string(3000, 'x').c_str());
        dialog.atInit = [&](LoggedAlert& self) {
            outcome = Bearing(window = self.m_hWnd);
            if (c.duringInit)
                c.act(self);
        };
        int32_t result = 0;
        std::vector<DialogStep> steps = {{"Alert", [&](HWND) { c.act(dialog); }}};
        RunScripted([&] { result = dialog.DoModal(); }, c.duringInit ? std::vector<DialogStep>{} : steps);
        // Shown once the loop went idle; hidden and destroyed after the command.
        bool commanded = dialog.Logged({WM_INITDIALOG, WM_ACTIVATE, WM_SHOWWINDOW, WM_COMMAND,
                                        WM_WINDOWPOSCHANGED, WM_DESTROY, WM_NCDESTROY});
        EXPECT_EQ(std::to_string(result) + (dialog.Logged({WM_SHOWWINDOW}) ? ", shown" : ", never shown") +
                      (commanded ? ", commanded" : "") + (IsWindow(window) ? ", left" : ", gone") + outcome,
                  c.outcome + "; unowned, fixed, message of 2047")
            << c.name;
    }
    CDialogEx missing(9999);
    EXPECT_TRUE(missing.DoModal() == -1 && !missing.m_hWnd) << "a missing template shows nothing";
    PostQuitMessage(3);
    ShowAlert("Quit pending", "The program is ending.");  // returns without a user
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 3)
        << "the exit code survives for the outer loop";
}
