// CWnd: a C++ object bound to a system window, with message maps as plain
// tables. Windows are bound by subclassing: the object's window procedure sees
// each message first and hands what its map does not take to the procedure
// that was there before (Default). CWnd lives in afx/wnd.cpp, the window
// classes of AfxRegisterWndClass in afx/wnd_class.cpp.
#pragma once

#include "afx/afxwin.h"

class CWnd;
class CFont;

// The name of a class, for the framework's run-time class query.
struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;
};

// A message handler: both message parameters in, the message's result out.
typedef LRESULT (CWnd::*AFX_PMSG)(WPARAM, LPARAM);

// One row of a message map. For WM_COMMAND the row also names the control id
// and the notification code (BN_CLICKED is 0, as is a plain command); other
// messages leave both 0. A table ends with a row whose message is 0.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    AFX_PMSG pfn;
};

// A class's table and the table of its base class (null at the root).
struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Turns a derived class's handler into a table entry's handler type.
#define AFX_HANDLER(function) static_cast<AFX_PMSG>(function)

// What an update request (code CN_UPDATE_COMMAND_UI) asks: may the command run.
class CCmdUI {
public:
    explicit CCmdUI(UINT id) : m_nID(id), m_bEnabled(FALSE) {}
    void Enable(BOOL on = TRUE) { m_bEnabled = on; }
    UINT m_nID;
    BOOL m_bEnabled;
};

const int CN_COMMAND = 0;
const int CN_UPDATE_COMMAND_UI = -1;

// Thread: a CWnd and its window belong to the thread that created or
// subclassed the window; call its members on that thread only, except
// FromHandlePermanent, which any thread may call.
class CWnd {
public:
    CWnd();
    // Destroys a window that still exists (and so reaches PostNcDestroy).
    virtual ~CWnd();

    virtual const CRuntimeClass* GetRuntimeClass() const;
    static const CRuntimeClass classCWnd;

    // The object bound to a window, or null when none is. Any thread.
    static CWnd* FromHandlePermanent(HWND window);
    // The message that the calling thread's window procedure is handling now;
    // for handlers that serve several messages.
    static const MSG* GetCurrentMessage();

    // Binds an existing window without changing its window procedure.
    // False when this object or the window is bound already.
    BOOL Attach(HWND window);
    // Unbinds the window and returns it; the window is left as it is.
    HWND Detach();
    // Binds the window and puts our window procedure in front of its own.
    BOOL SubclassWindow(HWND window);
    // SubclassWindow for the child control `id` of `parent`.
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    // Restores the window's own procedure and unbinds it.
    HWND UnsubclassWindow();

    // Creates the window and binds it before its first message (WM_NCCREATE),
    // so the message map sees creation too. A rectangle whose left is
    // CW_USEDEFAULT lets the system place and size it. False on failure.
    virtual BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                          const RECT& rect, CWnd* parent, UINT id, void* param = nullptr);
    // Lets a class adjust the creation parameters; false cancels creation.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual BOOL DestroyWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Centres the window on its owner, or on the work area of its screen when
    // it has none or the owner is hidden or minimised; it never leaves the
    // work area by its top or left edge.
    void CenterWindow();
    // Sends the message to every child window, their children included.
    void SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam);

    // Framework-shaped conveniences the dialogs use on their own window.
    void SetWindowText(const char* text);
    int GetWindowText(char* buffer, int size) const;
    // Sends WM_SETFONT with the font of `font` (none when null).
    void SetFont(const CFont* font, BOOL redraw = TRUE);

    // A message loop's chance to take a message before it is dispatched;
    // true means handled. Called for the target window and its parents.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Runs a modal loop on this window until EndModalLoop, which may come
    // before the loop starts (then it returns at once); BeginModalState opens
    // the run. Returns the code given to EndModalLoop; -1 when the thread got
    // WM_QUIT (posted again for the outer loop), a handler threw, or the
    // window was destroyed without EndModalLoop. Flags: MLF_*.
    virtual int RunModalLoop(DWORD flags = 0);
    void BeginModalState();
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int result);

    HWND m_hWnd;

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP messageMap;

    // Dispatches through the message map, then to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // True when the map took the message; its result in `result`.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // WM_COMMAND: routed to OnCmdMsg with the control id and notification code.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Command routing: `extra` is a CCmdUI* for CN_UPDATE_COMMAND_UI.
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo);
    // The window procedure that was there before ours (or DefWindowProc).
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc for the message being handled now.
    LRESULT Default();
    // WM_SYSCOLORCHANGE: a top-level window passes it on to all its children.
    LRESULT OnSysColorChange(WPARAM wParam, LPARAM lParam);
    // Called after the window's last message; the window is gone.
    virtual void PostNcDestroy();
    // Called when SubclassWindow has bound a window, before it returns.
    virtual void PreSubclassWindow();

    WNDPROC m_pfnSuper;
    int m_nModalResult;
    bool m_bContinueModal;

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
    const AFX_MSGMAP_ENTRY* FindEntry(UINT message, UINT code, UINT id) const;
    void BindHandle(HWND window);
    void UnbindHandle();

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
};

// Keeps the thread's window-creation hook in place for its lifetime, so that
// the next window the thread creates is bound to `window` (subclassed) before
// its first message. Nested creations share one hook.
class AfxHookWindowCreate {
public:
    explicit AfxHookWindowCreate(CWnd* window);
    ~AfxHookWindowCreate();
    AfxHookWindowCreate(const AfxHookWindowCreate&) = delete;
    AfxHookWindowCreate& operator=(const AfxHookWindowCreate&) = delete;

private:
    HHOOK m_hHook;  // ours to remove, or null when an outer creation owns it
    CWnd* m_pPrevious;
};

// True once when a handler of the calling thread threw since the last call:
// the window procedure catches it (it must not cross the system's frames) and
// a modal loop ends with -1 on it.
bool AfxTakeHandlerFailure();
// Records that a handler threw; for procedures other than AfxWndProc.
void AfxNoteHandlerFailure();

// Modal loop flags.
const DWORD MLF_NOIDLEMSG = 0x0001;   // send the owner no WM_ENTERIDLE
const DWORD MLF_SHOWONIDLE = 0x0004;  // show the window when the loop first goes idle

// The window procedure of every bound window. Any window of the thread.
LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers (once per set of values) a window class with the system's default
// procedure and returns its name, valid for the life of the process; windows
// made through CWnd::CreateEx get the framework's procedure when created.
// Null when the class cannot be registered or 16 sets are registered already.
// User-interface thread only.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);
