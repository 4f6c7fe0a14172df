// Thread objects: construction, and the worker threads of AfxBeginThread.
#include "afx/afxwin.h"

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

DWORD WINAPI CWinThread::ThreadEntry(LPVOID self)
{
    CWinThread* thread = static_cast<CWinThread*>(self);
    AfxSetThread(thread);
    UINT exitCode = thread->m_pfnThreadProc ? thread->m_pfnThreadProc(thread->m_pThreadParams) : 0;
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
