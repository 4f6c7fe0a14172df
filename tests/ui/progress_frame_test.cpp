#include "tests/support/gtest.h"

#include "tests/support/window_script.h"
#include "ui/progress_frame.h"

#include <cstring>
#include <functional>
#include <string>

namespace {

// Runs `reports` on a thread of its own and waits for it to end; the
// window's thread does not pump meanwhile, so what it posted stays queued.
void FromAnotherThread(const std::function<void()>& reports)
{
    struct Call {
        static DWORD WINAPI Run(LPVOID parameter)
        {
            (*static_cast<const std::function<void()>*>(parameter))();
            return 0;
        }
    };
    HANDLE thread = CreateThread(nullptr, 0, Call::Run, const_cast<std::function<void()>*>(&reports), 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
}

void PumpQueued()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string StatusOf(CProgressFrame& frame)
{
    char text[256];
    frame.GetStatusText(text);
    return text;
}

}  // namespace

TEST(ProgressFrame, ReportsFromTheWorkerAreAppliedInOrderOnTheWindowThread)
{
    CProgressFrame frame;
    ASSERT_TRUE(frame.HasWindow());
    frame.SetTitle("Downloading latest Quorvalent update...");
    long copiesBefore = LiveStatusTextCopies();
    struct Case {
        const char* name;
        std::function<void(ProgressSink&)> reports;
        std::string status;
        bool animating;
        uint32_t done, total;
    };
    const Case cases[] = {
        {"measure, then busy",
         [](ProgressSink& s) {
             s.SetStatusText("Downloading new update...", 1);
             s.SetProgress(5, 10, 1);
             s.SetStatusText("Decompressing update...", 1);
             s.SetProgress(0, 0, 1);
         },
         "Decompressing update...", true, 5, 10},
        {"busy, then measure",
         [](ProgressSink& s) {
             s.SetProgress(0, 0, 1);
             s.SetProgress(3, 4, 1);
             s.SetStatusText("Connected...", 0);
         },
         "Connected...", false, 3, 4},
        {"an empty text clears the line",
         [](ProgressSink& s) {
             s.SetStatusText("Installing update...", 1);
             s.SetStatusText("", 1);
         },
         "", false, 3, 4},
        {"a null text clears it too",
         [](ProgressSink& s) {
             s.SetStatusText("Connected...", 1);
             s.SetStatusText(nullptr, 1);
         },
         "", false, 3, 4},
    };
    for (const Case& c : cases) {
        std::string before = StatusOf(frame);
        FromAnotherThread([&] { c.reports(frame); });
        EXPECT_EQ(StatusOf(frame), before) << c.name << ": applied before the window's thread ran";
        PumpQueued();
        EXPECT_EQ(StatusOf(frame), c.status) << c.name;
        EXPECT_EQ(frame.bar.animating, c.animating) << c.name;
        EXPECT_EQ(frame.bar.done, c.done) << c.name;
        EXPECT_EQ(frame.bar.total, c.total) << c.name;
    }
    EXPECT_EQ(LiveStatusTextCopies(), copiesBefore) << "every posted text copy is freed";

    // Show from the worker restores the window there; it stays hidden until then.
    EXPECT_FALSE(IsWindowVisible(frame.m_hWnd));
    FromAnotherThread([&] { frame.Show(); });
    EXPECT_FALSE(IsWindowVisible(frame.m_hWnd));
    PumpQueued();
    EXPECT_TRUE(IsWindowVisible(frame.m_hWnd));
}

TEST(ProgressFrame, TheBarIsRedrawnOnlyWhenTheMeasureChanges)
{
    CProgressFrame frame;
    ASSERT_TRUE(frame.HasWindow());
    frame.Show();
    CProgressBar& bar = frame.bar;
    bar.SetPos(5, 10);
    struct Case {
        uint32_t done, total;
        bool busy;
        bool redrawn;
    };
    // 50001 of 100000 is another pair that shows the same chunks as 5 of 10.
    const Case cases[] = {{5, 10, false, false}, {50001, 100000, false, false}, {6, 10, false, true},
                          {6, 10, false, false}, {0, 0, true, true},           {0, 0, true, false},
                          {6, 10, false, true}};
    for (const Case& c : cases) {
        UpdateWindow(bar.m_hWnd);
        if (c.busy)
            bar.SetMarquee(true);
        else
            bar.SetPos(c.done, c.total);
        EXPECT_EQ(GetUpdateRect(bar.m_hWnd, nullptr, FALSE) != FALSE, c.redrawn) << c.done << " of " << c.total;
    }
}

TEST(ProgressFrame, TextsPostedToAWindowThatIsGoneAreFreed)
{
    long copiesBefore = LiveStatusTextCopies();
    {
        // Still queued when the window goes.
        CProgressFrame frame;
        ASSERT_TRUE(frame.HasWindow());
        FromAnotherThread([&] {
            frame.SetStatusText("Downloading new update...", 1);
            frame.SetStatusText("Decompressing update...", 1);
        });
        EXPECT_EQ(LiveStatusTextCopies(), copiesBefore + 2);
    }
    EXPECT_EQ(LiveStatusTextCopies(), copiesBefore);
    {
        // Posted after the window went (the object still lives).
        CProgressFrame frame;
        ASSERT_TRUE(frame.HasWindow());
        frame.DestroyWindow();
        FromAnotherThread([&] { frame.SetStatusText("Installing update...", 1); });
        EXPECT_EQ(LiveStatusTextCopies(), copiesBefore);
    }
}

TEST(ProgressFrame, HasNoCloseBoxAndItsBorderDoesNotResize)
{
    CProgressFrame frame;
    ASSERT_TRUE(frame.HasWindow());
    frame.Show();
    LONG style = GetWindowLongA(frame.m_hWnd, GWL_STYLE);
    EXPECT_EQ(style & WS_SYSMENU, 0);
    EXPECT_NE(style & WS_CAPTION, 0);
    RECT client = {};
    GetClientRect(frame.m_hWnd, &client);
    EXPECT_EQ(client.right, 350);
    EXPECT_EQ(client.bottom, 70);

    RECT window = {};
    GetWindowRect(frame.m_hWnd, &window);
    int midX = (window.left + window.right) / 2, midY = (window.top + window.bottom) / 2;
    const POINT borders[] = {{window.left + 1, midY}, {window.right - 2, midY}, {midX, window.bottom - 2},
                             {window.right - 2, window.bottom - 2}, {window.left + 1, window.top + 1}};
    for (const POINT& at : borders) {
        LRESULT hit = SendMessageA(frame.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
        EXPECT_TRUE(hit < HTSIZEFIRST || hit > HTSIZELAST) << "hit " << hit << " at " << at.x << "," << at.y;
    }
    // Closing is refused: the work it shows cannot be stopped.
    SendMessageA(frame.m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(frame.m_hWnd));

    char longTitle[400];
    std::memset(longTitle, 'q', sizeof longTitle - 1);
    longTitle[sizeof longTitle - 1] = '\0';
    frame.SetTitle(longTitle);
    char title[256];
    frame.GetTitle(title);
    EXPECT_EQ(std::string(title), std::string(255, 'q'));
}
