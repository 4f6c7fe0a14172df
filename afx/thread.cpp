// CWinThread: construction, the message loop shared by the run loop and every
// modal loop, and the worker threads of AfxBeginThread.
#include "afx/wnd.h"

namespace {

// Takes one message into `msg` and hands it on; the thread object, when there
// is one, gets it first. FALSE on WM_QUIT or when no message can be taken.
BOOL PumpOneMessage(MSG& msg, CWinThread* thread)
{
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0)
        return FALSE;
    BOOL taken = thread ? thread->PreTranslateMessage(&msg) : msg.hwnd && AfxWalkPreTranslateTree(&msg);
    if (!taken) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        AfxRepostQuitTakenByModalLoop();
    }
    return TRUE;
}

}  // namespace

CWinThread::CWinThread()
    : m_pMainWnd(nullptr),
      m_nThreadID(0),
      m_hThread(nullptr),
      m_bAutoDelete(TRUE),
      m_msgCur(),
      m_pfnThreadProc(nullptr),
      m_pThreadParams(nullptr)
{
}

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param) : CWinThread()
{
    m_pfnThreadProc = proc;
    m_pThreadParams = param;
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

const AFX_THREAD_MSGMAP_ENTRY* CWinThread::GetThreadMessageMap() const { return nullptr; }

bool CWinThread::DispatchThreadMessage(const MSG& msg)
{
    const AFX_THREAD_MSGMAP_ENTRY* entry = GetThreadMessageMap();
    for (; entry && entry->nMessage != 0; ++entry) {
        if (entry->nMessage == msg.message) {
            (this->*entry->pfnHandler)(msg.wParam, msg.lParam);
            return true;
        }
    }
    return false;
}

BOOL CWinThread::PreTranslateMessage(MSG* msg)
{
    if (msg->hwnd == nullptr)
        return DispatchThreadMessage(*msg);
    return AfxWalkPreTranslateTree(msg);
}

BOOL CWinThread::PumpMessage() { return PumpOneMessage(m_msgCur, this); }

int CWinThread::Run()
{
    for (;;) {
        if (m_pMainWnd == nullptr && !PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE))
            PostQuitMessage(0);
        if (!PumpMessage())
            break;
    }
    return ExitInstance();
}

BOOL AfxWalkPreTranslateTree(MSG* msg)
{
    for (HWND window = msg->hwnd; window; window = GetParent(window)) {
        CWnd* object = CWnd::FromHandlePermanent(window);
        if (object && object->PreTranslateMessage(msg))
            return TRUE;
        // Top-level windows end the walk; owners are not parents here.
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
            break;
    }
    return FALSE;
}

BOOL AfxPumpMessage()
{
    CWinThread* thread = AfxGetThread();
    if (thread)
        return thread->PumpMessage();
    MSG msg;
    return PumpOneMessage(msg, nullptr);
}

DWORD WINAPI CWinThread::ThreadEntry(LPVOID self)
{
    CWinThread* thread = static_cast<CWinThread*>(self);
    AfxSetThread(thread);
    UINT exitCode = 0;
    {
        AfxMessageFilterHook filter;
        exitCode = thread->m_pfnThreadProc ? thread->m_pfnThreadProc(thread->m_pThreadParams) : 0;
    }
    AfxSetThread(nullptr);
    // The function's return is the worker's end; nothing may touch the object
    // after this unless its owner kept it (m_bAutoDelete false).
    if (thread->m_bAutoDelete)
        delete thread;
    return exitCode;
}

BOOL CWinThread::CreateThread(DWORD flags, UINT stackSize, LPSECURITY_ATTRIBUTES security)
{
    if (m_hThread)
        return FALSE;
    DWORD id = 0;
    HANDLE handle = ::CreateThread(security, stackSize, ThreadEntry, this, CREATE_SUSPENDED, &id);
    if (!handle)
        return FALSE;
    m_hThread = handle;
    m_nThreadID = id;
    if (!(flags & CREATE_SUSPENDED))
        ::ResumeThread(handle);
    return TRUE;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }

BOOL CWinThread::SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD flags,
                           LPSECURITY_ATTRIBUTES security)
{
    CWinThread* thread = new CWinThread(proc, param);
    if (!thread->CreateThread(flags | CREATE_SUSPENDED, stackSize, security)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if (!(flags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}
