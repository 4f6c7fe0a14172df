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

// Ends the move loop, once the thread message is handled, unless a quit did.
void CALLBACK PressReturn(HWND window, UINT, UINT_PTR, DWORD)
{
    PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace

// A thread message posted while the system's move loop runs (a user dragging
// a caption) reaches the thread's map, and a quit its handler posts outlives
// the loop that ends on it.
TEST(MessageFilter, ThreadMessageReachesItsHandlerInsideTheMoveLoop)
{
    EndingThread thread;
    AfxSetThread(&thread);
    AfxMessageFilterHook filter;
    for (int quitCode : {-1, 7}) {
        thread.ended = 0;
        thread.quitOnEnd = quitCode >= 0;
        HWND window = CreateWindowExA(0, "STATIC", "moved", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 100,
                                      200, 100, nullptr, nullptr, nullptr, nullptr);
        // The move loop starts when the syscommand is dispatched and finds the
        // thread message first; it ends on the quit, or else on Return.
        PostMessageA(window, WM_SYSCOMMAND, SC_MOVE, 0);
        PostThreadMessageA(GetCurrentThreadId(), kDone, 0, 0);
        SetTimer(window, 1, 50, PressReturn);
        EXPECT_TRUE(thread.PumpMessage());
        EXPECT_EQ(thread.ended, 1) << quitCode;
        MSG quit = {};
        EXPECT_EQ(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? int(quit.wParam) : -1,
                  quitCode);
        DestroyWindow(window);
    }
    AfxSetThread(nullptr);
}
