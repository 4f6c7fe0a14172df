#include "tests/support/gtest.h"

#include "base/alert.h"
#include "tests/support/test_env.h"
#include "tests/support/window_script.h"
#include "ui/progress_frame.h"

namespace {

volatile LONG g_copies = 0;  // status text copies made and not yet freed

void CountCopies(int change) { InterlockedExchangeAdd(&g_copies, change); }

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

}  // namespace

TEST(ProgressFrame, ReportsAndAlertsOfTheWorkerReachTheWindowInOrderAndTextsAreFreed)
{
    SetStatusTextCopyObserver(CountCopies);
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
        // The worker's alert runs its own loop and holds up only the worker: a click on the window goes
        // to the alert, and no report is lost around it.
        volatile LONG returned = 0;
        DWORD worker = 0;
        auto reportAroundAnAlert = [&] {
            frame.SetProgress(3, 4, 1);
            frame.SetStatusText("Connected...", 0);
            worker = GetCurrentThreadId();
            ShowAlert("Download Not Completed", "The worker waits here.");
            InterlockedExchange(&returned, 1);
            frame.SetStatusText("", 1);
            frame.SetProgress(4, 5, 1);
        };
        auto clickTheWindow = [&](HWND alert) {
            LRESULT answer = SendMessageA(frame.m_hWnd, WM_MOUSEACTIVATE, WPARAM(frame.m_hWnd),
                                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
            EXPECT_TRUE(GetWindowThreadProcessId(alert, nullptr) == worker && answer == MA_NOACTIVATEANDEAT &&
                        feedback.flashed == std::vector<HWND>{alert} && !returned);
            EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == alert; }, 5000));
            EXPECT_EQ(Shown(frame), "Connected... | 3/4");
            PostMessageA(alert, WM_COMMAND, IDOK, 0);
        };
        bool ended = false;
        EXPECT_TRUE(RunScripted([&] { ended = RunOnThreadPumping(reportAroundAnAlert); },
                                {{"Download Not Completed", clickTheWindow}}) &&
                    ended);
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

TEST(ProgressBar, ChunksStayInsideTheBarAndOnlyANewMeasureRedrawsIt)
{
    // Done, total, chunks for a 310-pixel bar without a theme: 306 pixels of content, 31 slots of 8 + 2.
    const uint32_t measures[][3] = {{1, 1, 31},
                                    {600000000, 600000000, 31},
                                    {300000000, 600000000, 16},
                                    {1, 100, 1},
                                    {1, 1000, 0},
                                    {0, 100, 0},
                                    {5, 0, 0},
                                    {0xFFFFFFFFu, 1, 31}};
    for (const auto& m : measures)
        EXPECT_EQ(FilledChunks(306, m[0], m[1], 2, 10), int32_t(m[2])) << m[0] << " of " << m[1];
    EXPECT_EQ(ChunkSlots(306, 2, 10), 31);
    EXPECT_TRUE(ChunkSlots(2, 2, 10) == 0 && ChunkSlots(306, 2, 0) == 0) << "no room or no pitch, no slot";

    CProgressFrame frame;
    frame.Show();
    frame.bar.SetPos(5, 10);
    // Done, total (0 of 0: the busy mode), redrawn. 50001 of 100000 shows the same chunks as 5 of 10;
    // a measure equal to the last one still ends the busy mode.
    const uint32_t reports[][3] = {{5, 10, 0}, {50001, 100000, 0}, {6, 10, 1}, {6, 10, 0},
                                   {0, 0, 1},  {0, 0, 0},          {6, 10, 1}};
    for (const auto& r : reports) {
        UpdateWindow(frame.bar.m_hWnd);
        r[1] ? frame.bar.SetPos(r[0], r[1]) : frame.bar.SetMarquee(true);
        EXPECT_EQ(GetUpdateRect(frame.bar.m_hWnd, nullptr, FALSE) != FALSE, r[2] != 0) << r[0] << "/" << r[1];
    }
}
