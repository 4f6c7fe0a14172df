// The small part of the MFC 4.2 application framework that the installer uses,
// built over Wine's real user32, kernel32, ole32 and wsock32. It keeps MFC's
// documented behaviour for the calls made here and offers nothing more.
// This header: CWinThread, AfxBeginThread and the message pump (afx/thread.cpp);
// the message filter of the system's modal loops (afx/message_filter.cpp);
// CWinApp, the thread lookup and the start-up helpers (afx/app.cpp); the
// program entry (afx/winmain.cpp). Windows: wnd.h, frame.h, dialog.h,
// dialog_template.h, controls.h, font.h.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

class CWnd;
class CWinThread;

// A thread message handler: both message parameters, no result.
typedef void (CWinThread::*AFX_THREAD_HANDLER)(WPARAM, LPARAM);
// The function a worker thread runs; its result is the thread's exit code.
typedef UINT (*AFX_THREADPROC)(LPVOID);

// One row of a thread's message map; a table ends with a row whose message is 0.
struct AFX_THREAD_MSGMAP_ENTRY {
    UINT nMessage;
    AFX_THREAD_HANDLER pfnHandler;
};

// A thread with a message loop. The user-interface thread's object is the
// application itself (CWinApp); a worker thread's object is made by
// AfxBeginThread and runs one function.
class CWinThread {
public:
    CWinThread();
    // A worker that will run proc(param); no system thread exists yet.
    CWinThread(AFX_THREADPROC proc, LPVOID param);
    // Closes the thread handle (the thread itself runs on if it still does).
    virtual ~CWinThread();

    // Creates the system thread, always suspended first so that the object is
    // complete before the thread can run; resumed at once unless flags hold
    // CREATE_SUSPENDED. False when no thread could be made.
    BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES security = nullptr);
    DWORD ResumeThread();
    BOOL SetThreadPriority(int priority);

    virtual BOOL InitInstance();
    // Pumps messages until WM_QUIT; while no main window exists the loop posts
    // the quit message itself, as MFC does, so a flow that opened no window
    // ends the program. Returns ExitInstance's code.
    virtual int Run();
    virtual int ExitInstance();
    // Takes one message and hands it on (PreTranslateMessage, then
    // TranslateMessage and DispatchMessage). FALSE on WM_QUIT. The thread's
    // own run loop and every modal loop on the thread use it.
    virtual BOOL PumpMessage();
    // A message without a window goes to the thread's message map; others
    // pass PreTranslateMessage of their window and its parents. TRUE: taken.
    virtual BOOL PreTranslateMessage(MSG* msg);

    CWnd* m_pMainWnd;
    DWORD m_nThreadID;
    // The system thread; null until CreateThread and for the application.
    HANDLE m_hThread;
    // A worker's object deletes itself when its function has returned.
    BOOL m_bAutoDelete;

protected:
    // The thread's message map, or null for none.
    virtual const AFX_THREAD_MSGMAP_ENTRY* GetThreadMessageMap() const;
    // Calls the handler for a message without a window; false when none matched.
    bool DispatchThreadMessage(const MSG& msg);

    MSG m_msgCur;

private:
    static DWORD WINAPI ThreadEntry(LPVOID self);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts a worker thread running proc(param) at the given priority: the
// returned object deletes itself when proc returns (m_bAutoDelete). With
// CREATE_SUSPENDED in flags the thread waits for ResumeThread, so the caller
// can keep the object before it runs. Null when no thread could be made.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD flags = 0, LPSECURITY_ATTRIBUTES security = nullptr);

// The application object: one global instance per program, created before
// WinMain and reachable through AfxGetApp.
class CWinApp : public CWinThread {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    // Remembers the company key under which the framework would keep settings.
    void SetRegistryKey(const char* company);
    // 3-D controls are the system's default look since Windows 95; kept for
    // the start-up sequence, it always succeeds.
    BOOL Enable3dControls();

    const char* m_pszAppName;
    char m_szRegistryKey[260];
};

// The application object of this process, or null before it is constructed.
CWinApp* AfxGetApp();

// The framework thread object of the calling thread: the one that called
// AfxSetThread on it, else the application on its own thread, else null.
CWinThread* AfxGetThread();
// Names the calling thread's framework thread object (a worker's, on start).
void AfxSetThread(CWinThread* thread);

// PreTranslateMessage of the message's window and then of each parent up to
// its top-level window; TRUE as soon as one takes the message.
BOOL AfxWalkPreTranslateTree(MSG* msg);
// Takes the next message of the calling thread and hands it on: through the
// thread object's PumpMessage when the thread has one, else as that would
// (PreTranslateMessage of the window and its parents, then TranslateMessage
// and DispatchMessage). FALSE on WM_QUIT, which is left for the caller.
BOOL AfxPumpMessage();

// Start-up helpers with their MFC effects.
void AfxEnableControlContainer();  // no ActiveX controls are hosted: nothing to do
BOOL AfxSocketInit();              // WSAStartup for Windows Sockets 1.1
BOOL AfxInitRichEdit();            // loads the rich-edit control library
BOOL AfxOleInit();                 // OleInitialize on the calling thread

// The C runtime's argument vector, as Windows programs see it: filled from the
// command line by the program entry before InitInstance runs.
extern "C" int __argc;
extern "C" char** __argv;

// Hooks the calling thread's message filter (WH_MSGFILTER) while it lives.
// The system's own modal loops (its move and size loops, menus, message
// boxes) dispatch window messages only and would drop thread messages; the
// hook hands those to the thread object's PreTranslateMessage instead. The
// program entry and every framework thread keep one around their work.
class AfxMessageFilterHook {
public:
    AfxMessageFilterHook();
    ~AfxMessageFilterHook();
    AfxMessageFilterHook(const AfxMessageFilterHook&) = delete;
    AfxMessageFilterHook& operator=(const AfxMessageFilterHook&) = delete;

private:
    HHOOK m_hHook;
};
// A quit request that a thread message's handler made inside a system modal
// loop ends that loop, which takes it; called once the dispatch that ran the
// loop has returned, this posts it again for the thread's own loop.
void AfxRepostQuitTakenByModalLoop();

// The framework's program entry, called from WinMain.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
