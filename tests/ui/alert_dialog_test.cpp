#include "tests/support/gtest.h"

#include "base/alert.h"
#include "base/error_code.h"
#include "tests/support/window_script.h"

#include <algorithm>

namespace {

// Whether the messages appear in the log in this order.
bool Logged(const std::vector<UINT>& log, const std::vector<UINT>& expected)
{
    auto at = log.begin();
    for (UINT message : expected) {
        if ((at = std::find(at, log.end(), message)) == log.end())
            return false;
        ++at;
    }
    return true;
}

// Whether the dialog has an owner, whether its corner offers sizing although
// it got a sizing frame, and how long its message is.
std::string Bearing(HWND dialog)
{
    SetWindowLongA(dialog, GWL_STYLE, GetWindowLongA(dialog, GWL_STYLE) | WS_THICKFRAME);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    RECT r;
    GetWindowRect(dialog, &r);
    char text[4096];
    return std::string(GetWindow(dialog, GW_OWNER) ? "; owned, " : "; unowned, ") +
           (SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(r.right - 1, r.bottom - 1)) == HTBORDER
                ? "fixed"
                : "sizing") +
           ", message of " + std::to_string(GetDlgItemTextA(dialog, 1006, text, sizeof text));
}

}  // namespace

TEST(CDialogEx, EachModalRunEndsWithItsCodeAndLeavesNoWindow)
{
    auto fail = [](ScriptedDialog&) { throw ErrorCode(kErrorMalformed); };
    const struct {
        const char* name;
        bool duringInit;
        std::function<void(ScriptedDialog&)> step;
        std::string outcome;
    } cases[] = {
        {"OK", false, [](ScriptedDialog& d) { ClickButton(d.m_hWnd, IDOK); }, "1, shown, commanded, gone"},
        {"Enter", false, [](ScriptedDialog&) { PostKeyToFocus(VK_RETURN); }, "1, shown, commanded, gone"},
        {"Escape", false, [](ScriptedDialog&) { PostKeyToFocus(VK_ESCAPE); }, "2, shown, commanded, gone"},
        {"close box", false, [](ScriptedDialog& d) { PostMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); },
         "2, shown, commanded, gone"},
        {"a handler throws", false, fail, "-1, shown, gone"},
        {"initialisation throws", true, fail, "-1, never shown, gone"},
        {"ended while initialising", true, [](ScriptedDialog& d) { d.EndDialog(7); },
         "7, never shown, gone"}};
    for (const auto& c : cases) {
        HWND window = nullptr;
        std::string bearing;
        ScriptedDialog dialog(
            [&](ScriptedDialog& self) { bearing = Bearing(window = self.m_hWnd), c.step(self); },
            c.duringInit);
        dialog.SetMessage(std::string(3000, 'x').c_str());
        std::string outcome = std::to_string(dialog.DoModal());
        // Shown once the loop went idle; hidden and destroyed after the command.
        outcome += Logged(dialog.log, {WM_SHOWWINDOW}) ? ", shown" : ", never shown";
        if (Logged(dialog.log, {WM_INITDIALOG, WM_ACTIVATE, WM_SHOWWINDOW, WM_COMMAND, WM_WINDOWPOSCHANGED,
                                WM_DESTROY, WM_NCDESTROY}))
            outcome += ", commanded";
        EXPECT_EQ(outcome + (IsWindow(window) ? ", left" : ", gone") + bearing,
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

TEST(ShowAlert, OnTheWorkerItRunsItsOwnLoopAndTakesClicksOnTheFirstThreadsDialog)
{
    RecordingFeedback feedback;
    volatile LONG returned = 0;
    DWORD worker = 0;
    auto work = [&] {
        worker = GetCurrentThreadId();
        ShowAlert("Worker alert", "Shown by the worker.");
        InterlockedExchange(&returned, 1);
    };
    ScriptedDialog([&](ScriptedDialog& dialog) {
        auto clickBelow = [&](HWND alert) {
            LRESULT answer = SendMessageA(dialog.m_hWnd, WM_MOUSEACTIVATE, WPARAM(dialog.m_hWnd),
                                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
            EXPECT_TRUE(GetWindowThreadProcessId(alert, nullptr) == worker && answer == MA_NOACTIVATEANDEAT &&
                        feedback.flashed == std::vector<HWND>{alert})
                << "the click goes to the alert, on the worker's own loop";
            EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == alert; }, 5000));
            EXPECT_FALSE(returned) << "returned before the alert was dismissed";
        };
        EXPECT_EQ(AnswerAlertsWhileRunning(work, "Worker alert", clickBelow), 1);
        EXPECT_TRUE(dialog.layer.MayActivate()) << "with the alert gone the dialog is the top again";
        dialog.EndDialog(IDOK);
    }).DoModal();
}
