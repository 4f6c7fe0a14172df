#include "tests/support/gtest.h"

#include "base/alert.h"
#include "tests/support/data_rows.h"
#include "tests/support/test_env.h"
#include "tests/support/window_script.h"
#include "ui/progress_frame.h"

#include <cstdlib>

namespace {

volatile LONG g_copies = 0;  // status text copies made and not yet freed

// The window's state once the queued reports are applied, as "status | done/total" or "status | busy".
std::string Shown(CProgressFrame& frame)
{
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
    char status[256];
    frame.GetStatusText(status);
    const CProgressBar& bar = frame.bar;
    return std::string(status) + " | " +
           (bar.animating ? "busy" : std::to_string(bar.done) + "/" + std::to_string(bar.total));
}

// Dispatches messages until `done` (true) or until `timeoutMs` passed (false).
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); !done();
         MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
    }
    return true;
}

// The worker's alert runs its own loop and holds up only the worker: a click on
// the window goes to the alert, and no report is lost around it.
DWORD WINAPI ReportAroundAnAlert(void* window)
{
    CProgressFrame& frame = *static_cast<CProgressFrame*>(window);
    frame.SetProgress(3, 4, 1);
    frame.SetStatusText("Connected...", 0);
    ShowAlert("Download Not Completed", "The worker waits here.");
    frame.SetStatusText("", 1);
    frame.SetProgress(4, 5, 1);
    return 0;
}

}  // namespace

TEST(ProgressFrame, ReportsAndAlertsOfTheWorkerReachTheWindowInOrderAndTextsAreFreed)
{
    SetStatusTextCopyObserver([](int change) { InterlockedExchangeAdd(&g_copies, change); });
    RecordingFeedback feedback;
    {
        CProgressFrame frame;
        RunOnThread([&] {
            frame.SetStatusText("Downloading new update...", 1);
            frame.SetProgress(5, 10, 1);
            frame.SetStatusText("Decompressing update...", 1);
            frame.SetProgress(0, 0, 1);
            frame.Show();
        });
        EXPECT_FALSE(IsWindowVisible(frame.m_hWnd)) << "applied before the window's thread ran";
        EXPECT_EQ(Shown(frame), "Decompressing update... | busy");
        EXPECT_TRUE(IsWindowVisible(frame.m_hWnd));
        std::string whileAlerted;
        auto clickTheWindow = [&](HWND alert) {
            const bool eaten = SendMessageA(frame.m_hWnd, WM_MOUSEACTIVATE, WPARAM(frame.m_hWnd),
                                            MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)) == MA_NOACTIVATEANDEAT;
            const bool inFront = PumpUntil([&] { return GetForegroundWindow() == alert; }, 5000);
            const bool ours = GetWindowThreadProcessId(alert, nullptr) == GetCurrentThreadId();
            whileAlerted = std::string(ours ? "ours" : "the worker's") + (eaten ? ", click eaten" : "") +
                           (feedback.flashed == std::vector<HWND>{alert} ? ", flashed" : "") +
                           (inFront ? ", in front, " : ", behind, ") + Shown(frame);
            PostMessageA(alert, WM_COMMAND, IDOK, 0);
        };
        HANDLE worker = CreateThread(nullptr, 0, ReportAroundAnAlert, &frame, 0, nullptr);
        ASSERT_TRUE(worker);
        auto ended = [&] { return WaitForSingleObject(worker, 0) == WAIT_OBJECT_0; };
        EXPECT_TRUE(
            RunScripted([&] { PumpUntil(ended, 30000); }, {{"Download Not Completed", clickTheWindow}}) &&
            ended());
        // A worker stuck in its alert must not outlive the window.
        while (!PumpUntil(ended, 1000)) PostThreadMessageA(GetThreadId(worker), WM_QUIT, 0, 0);
        CloseHandle(worker);
        EXPECT_EQ(whileAlerted, "the worker's, click eaten, flashed, in front, Connected... | 3/4");
        EXPECT_EQ(Shown(frame), " | 4/5");
        EXPECT_TRUE(frame.layer.MayActivate()) << "with the alert gone the window is the top again";
        SendMessageA(frame.m_hWnd, WM_CLOSE, 0, 0);
        frame.SetTitle(std::string(400, 'q').c_str());
        char title[256];
        frame.GetTitle(title);
        EXPECT_TRUE(IsWindow(frame.m_hWnd) && title == std::string(255, 'q'))
            << "no closing; long titles cut";
        // Still queued when the window goes, and posted after it went.
        RunOnThread([&] { frame.SetStatusText("Installing update...", 1); });
        frame.DestroyWindow();
        RunOnThread([&] { frame.SetStatusText("Installing update...", 1), frame.SetStatusText(nullptr, 0); });
    }
    EXPECT_EQ(g_copies, 0) << "every posted text copy is freed";
    SetStatusTextCopyObserver(nullptr);
}

// The window's size holds against any change (a window manager drags the
// border without asking the hit test) while moves still go through, and a
// change of the system colours reaches its bar.
TEST(ProgressFrame, BarChunksStayInsideOnlyNewChunksRedrawAndTheWindowKeepsItsSizeAndColours)
{
    auto number = [](const std::string& field) { return uint32_t(std::strtoul(field.c_str(), nullptr, 0)); };
    for (const DataRow& m : ReadDataRows("progress_bar/chunks.txt"))
        EXPECT_EQ(std::to_string(FilledChunks(306, number(m[0]), number(m.at(1)), 2, 10)), m.at(2))
            << m[0] << " of " << m[1];
    EXPECT_TRUE(ChunkSlots(2, 2, 10) == 0 && ChunkSlots(306, 2, 0) == 0) << "no room or no pitch, no slot";
    CProgressFrame frame;
    frame.Show();
    frame.bar.SetPos(5, 10);
    for (const DataRow& r : ReadDataRows("progress_bar/redraws.txt")) {
        uint32_t done = number(r[0]), total = number(r.at(1));
        UpdateWindow(frame.bar.m_hWnd);
        total ? frame.bar.SetPos(done, total) : frame.bar.SetMarquee(true);
        EXPECT_EQ(GetUpdateRect(frame.bar.m_hWnd, nullptr, FALSE) ? "yes" : "no", r.at(2))
            << done << "/" << total;
    }
    const struct {
        int dx, dy, dw, dh, moved;
    } rows[] = {
        {30, 20, 0, 0, 30},     // a caption drag
        {0, 0, 40, 10, 0},      // the right and bottom border
        {-40, -10, 40, 10, 0},  // the top-left corner: no size, and no move either
    };
    for (const auto& row : rows) {
        RECT before = {}, after = {};
        GetWindowRect(frame.m_hWnd, &before);
        SetWindowPos(frame.m_hWnd, nullptr, before.left + row.dx, before.top + row.dy,
                     before.right - before.left + row.dw, before.bottom - before.top + row.dh,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        GetWindowRect(frame.m_hWnd, &after);
        EXPECT_TRUE(after.right - after.left == before.right - before.left &&
                    after.bottom - after.top == before.bottom - before.top &&
                    after.left - before.left == row.moved)
            << row.dx << ", " << row.dw;
    }
    int element = COLOR_ACTIVECAPTION;
    COLORREF was = GetSysColor(element), changed = was ^ 0x00FF8040;
    SetSysColors(1, &element, &changed);
    SendMessageA(frame.m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(frame.bar.chunkColour, changed);
    SetSysColors(1, &element, &was);
}
