// The thread's message filter: the hook through which the system's own modal
// loops hand each message to the framework before they dispatch it.
#include "afx/afxwin.h"

namespace {

thread_local bool t_quitTakenByModalLoop = false;
thread_local WPARAM t_quitCode = 0;

LRESULT CALLBACK AfxMessageFilterProc(int code, WPARAM wParam, LPARAM lParam)
{
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    CWinThread* thread = AfxGetThread();
    // Such a loop dispatches window messages only; a thread message would be
    // dropped, so the thread's message map takes it here.
    if (code >= 0 && msg && !msg->hwnd && thread && thread->PreTranslateMessage(msg)) {
        // A quit request made by the handler ends the loop, which takes it
        // off the queue; the thread's own loop must still see it.
        MSG quit;
        if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
            t_quitTakenByModalLoop = true;
            t_quitCode = quit.wParam;
        }
        return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

AfxMessageFilterHook::AfxMessageFilterHook()
    : m_hHook(SetWindowsHookExA(WH_MSGFILTER, AfxMessageFilterProc, nullptr, GetCurrentThreadId()))
{
}

AfxMessageFilterHook::~AfxMessageFilterHook()
{
    if (m_hHook)
        UnhookWindowsHookEx(m_hHook);
}

void AfxRepostQuitTakenByModalLoop()
{
    if (!t_quitTakenByModalLoop)
        return;
    t_quitTakenByModalLoop = false;
    MSG quit;
    if (!PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
        PostQuitMessage(static_cast<int>(t_quitCode));
}
