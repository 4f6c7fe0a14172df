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

// Throws, or ends itself with 7, while it initialises.
class EndsInInit : public ScriptedDialog {
public:
    explicit EndsInInit(bool throws) : ScriptedDialog(nullptr), throws_(throws) {}
    HWND window = nullptr;

protected:
    BOOL OnInitDialog() override
    {
        ScriptedDialog::OnInitDialog();
        window = m_hWnd;
        return throws_ ? throw ErrorCode(kErrorMalformed) : (EndDialog(7), TRUE);
    }
    bool throws_;
};

DWORD WINAPI AlertOnWorker(void*)
{
    ShowAlert("Worker alert", "Shown by the worker.");
    return 0;
}

}  // namespace

TEST(CDialog, DismissalEndsTheRunWithItsCodeAndLeavesNothingOnScreen)
{
    const struct {
        const char* name;
        std::function<void(HWND)> dismiss;
        int32_t result;
    } cases[] = {{"OK", [](HWND d) { ClickButton(d, IDOK); }, IDOK},
                 {"Enter", [](HWND) { PostKeyToFocus(VK_RETURN); }, IDOK},
                 {"Escape", [](HWND) { PostKeyToFocus(VK_ESCAPE); }, IDCANCEL},
                 {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL}};
    for (const auto& c : cases) {
        HWND window = nullptr;
        ScriptedDialog dialog([&](ScriptedDialog& self) { c.dismiss(window = self.m_hWnd); });
        EXPECT_EQ(dialog.DoModal(), c.result) << c.name;
        // Shown once the loop went idle; hidden and destroyed after the command.
        EXPECT_TRUE(Logged(dialog.log, {WM_INITDIALOG, WM_ACTIVATE, WM_SHOWWINDOW, WM_COMMAND,
                                        WM_WINDOWPOSCHANGED, WM_DESTROY, WM_NCDESTROY}))
            << c.name;
        EXPECT_FALSE(IsWindow(window)) << c.name;
    }
}

TEST(CDialogEx, FailuresOfTheModalRunReturnTheirCodeAndLeaveNoWindow)
{
    CDialogEx missing(9999);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.m_hWnd, nullptr);
    ScriptedDialog throwsInLoop([](ScriptedDialog&) { throw ErrorCode(kErrorMalformed); });
    EXPECT_EQ(throwsInLoop.DoModal(), -1);
    EXPECT_TRUE(Logged(throwsInLoop.log, {WM_TIMER, WM_NCDESTROY}));
    for (bool throws : {true, false}) {
        EndsInInit dialog(throws);
        EXPECT_EQ(dialog.DoModal(), throws ? -1 : 7);
        EXPECT_TRUE(dialog.window && !IsWindow(dialog.window)) << throws;
        EXPECT_FALSE(Logged(dialog.log, {WM_SHOWWINDOW})) << throws << ": shown";
    }
    PostQuitMessage(3);
    ShowAlert("Quit pending", "The program is ending.");  // returns without a user
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u) << "the exit code survives for the outer loop";
}

TEST(ShowAlert, OnTheWorkerItRunsItsOwnLoopAndTakesClicksOnTheFirstThreadsDialog)
{
    RecordingFeedback feedback;
    ScriptedDialog blocked([&](ScriptedDialog& dialog) {
        HANDLE worker = CreateThread(nullptr, 0, AlertOnWorker, nullptr, 0, nullptr);
        HWND alert = nullptr;
        EXPECT_TRUE(
            PumpUntil([&] { return IsWindowVisible(alert = FindWindowA(nullptr, "Worker alert")); }, 9000));
        EXPECT_EQ(GetWindowThreadProcessId(alert, nullptr), GetThreadId(worker));
        LRESULT answer = SendMessageA(dialog.m_hWnd, WM_MOUSEACTIVATE, WPARAM(dialog.m_hWnd),
                                      MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
        EXPECT_EQ(answer, MA_NOACTIVATEANDEAT);
        EXPECT_EQ(feedback.flashed, std::vector<HWND>{alert});
        EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == alert; }, 5000));
        EXPECT_EQ(WaitForSingleObject(worker, 0), WAIT_TIMEOUT) << "returned before the alert was dismissed";
        PostMessageA(alert, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(worker, 0) == WAIT_OBJECT_0; }, 9000));
        CloseHandle(worker);
        EXPECT_TRUE(dialog.layer.MayActivate()) << "with the alert gone the dialog is the top again";
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(blocked.DoModal(), IDOK);
}

TEST(CDialogEx, BordersNeverOfferSizingEvenWithASizingFrame)
{
    ScriptedDialog dialog([](ScriptedDialog& d) {
        SetWindowLongA(d.m_hWnd, GWL_STYLE, GetWindowLongA(d.m_hWnd, GWL_STYLE) | WS_THICKFRAME);
        SetWindowPos(d.m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        RECT r;
        GetWindowRect(d.m_hWnd, &r);
        for (POINT p : {POINT{r.left, r.top + 30}, POINT{r.right - 1, r.top + 30}, POINT{r.left + 30, r.top},
                        POINT{r.right - 1, r.bottom - 1}})
            EXPECT_EQ(SendMessageA(d.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTBORDER)
                << p.x << "," << p.y;
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}
