#include "tests/support/gtest.h"

#include "afx/wnd.h"

namespace {

const UINT kDone = WM_APP + 50;

class EndingThread : public CWinThread {
public:
    int ended = 0;
    bool quitOnEnd = false;
    void OnDone(WPARAM, LPARAM)
    {
        ++ended;
        if (quitOnEnd)
            PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 7, 0);
    }

protected:
    const AFX_THREAD_MSGMAP_ENTRY* GetThreadMessageMap() const override
    {
        static const AFX_THREAD_MSGMAP_ENTRY entries[] = {
            {kDone, static_cast<AFX_THREAD_HANDLER>(&EndingThread::OnDone)}, {0, nullptr}};
        return entries;
    }
};

// Ends a move loop that a lost quit left running.
void CALLBACK PressReturn(HWND window, UINT, UINT_PTR, DWORD)
{
    PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace

// A thread message posted while the system's move loop runs on the thread
// (a user dragging a caption) reaches the thread's map, and a quit its
// handler asks for survives the loop that ends on it.
TEST(MessageFilter, ThreadMessageReachesItsHandlerInsideTheMoveLoop)
{
    const struct {
        bool quitOnEnd;
        int quitCode;  // left queued after the dispatch, or -1 for none
    } rows[] = {{false, -1}, {true, 7}};
    EndingThread thread;
    AfxSetThread(&thread);
    AfxMessageFilterHook filter;
    for (const auto& row : rows) {
        thread.ended = 0;
        thread.quitOnEnd = row.quitOnEnd;
        HWND window = CreateWindowExA(0, "STATIC", "moved", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 100,
                                      200, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window);
        // The move loop starts when the syscommand is dispatched, finds the
        // thread message first and ends on the quit, or else on Return.
        PostMessageA(window, WM_SYSCOMMAND, SC_MOVE, 0);
        PostThreadMessageA(GetCurrentThreadId(), kDone, 0, 0);
        if (row.quitOnEnd)
            SetTimer(window, 1, 3000, PressReturn);
        else
            PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(thread.PumpMessage());
        MSG quit = {};
        bool quitLeft = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        EXPECT_EQ(thread.ended, 1) << row.quitOnEnd;
        EXPECT_EQ(quitLeft ? int(quit.wParam) : -1, row.quitCode);
        DestroyWindow(window);
        for (MSG rest; PeekMessageA(&rest, nullptr, 0, 0, PM_REMOVE);) {
        }
    }
    AfxSetThread(nullptr);
}
