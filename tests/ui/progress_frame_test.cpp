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

TEST(ProgressFrame, ReportsFromOtherThreadsAreAppliedInOrderOnTheWindowThreadAndFreed)
{
    SetStatusTextCopyObserver(CountCopies);
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
        RunOnThread([&] {
            frame.SetProgress(3, 4, 1);
            frame.SetStatusText("Connected...", 0);
            frame.SetStatusText("", 1);
        });
        EXPECT_EQ(Shown(frame), " | 3/4");
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

TEST(ProgressFrame, WorkerAlertsBetweenReportsLeaveEveryReportApplied)
{
    CProgressFrame frame;
    frame.Show();
    for (uint32_t round = 1; round <= 20; ++round) {
        auto worker = [&] {
            frame.SetStatusText("Downloading new update...", 1);
            for (uint32_t done = 0; done <= round; ++done) frame.SetProgress(done, round, 1);
            ShowAlert("Download Not Completed", "The worker waits here.");
            frame.SetStatusText(std::to_string(round).c_str(), 1);
            frame.SetProgress(round, round + 1, 1);
        };
        ASSERT_EQ(AnswerAlertsWhileRunning(worker, "Download Not Completed"), 1) << round;
        EXPECT_EQ(Shown(frame),
                  std::to_string(round) + " | " + std::to_string(round) + "/" + std::to_string(round + 1));
    }
}
