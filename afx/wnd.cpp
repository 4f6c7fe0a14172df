#include "afx/wnd.h"

#include "afx/font.h"

#include <algorithm>

namespace {

// The window property that holds the bound object; properties are readable
// from every thread, unlike a per-thread handle map.
const char kWindowObjectProperty[] = "QuorvalentCWnd";

thread_local CWnd* t_windowToBind = nullptr;
thread_local HHOOK t_creationHook = nullptr;
thread_local MSG t_currentMessage = {};
thread_local bool t_handlerFailed = false;

// EnumChildWindows' step for SendMessageToDescendants: `message` is a MSG*.
BOOL CALLBACK SendToChild(HWND child, LPARAM message)
{
    const MSG* msg = reinterpret_cast<const MSG*>(message);
    SendMessageA(child, msg->message, msg->wParam, msg->lParam);
    return TRUE;
}

}  // namespace

const CRuntimeClass CWnd::classCWnd = {"CWnd", nullptr};
const AFX_MSGMAP_ENTRY CWnd::messageEntries[] = {
    {WM_SYSCOLORCHANGE, 0, 0, AFX_HANDLER(&CWnd::OnSysColorChange)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CWnd::messageMap = {nullptr, CWnd::messageEntries};

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), m_nModalResult(-1), m_bContinueModal(false) {}

CWnd::~CWnd()
{
    // A window that outlives its object would call into freed memory.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        ::DestroyWindow(m_hWnd);
    if (m_hWnd)
        UnbindHandle();
}

const CRuntimeClass* CWnd::GetRuntimeClass() const { return &classCWnd; }

const AFX_MSGMAP* CWnd::GetMessageMap() const { return &messageMap; }

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    if (!window)
        return nullptr;
    return static_cast<CWnd*>(GetPropA(window, kWindowObjectProperty));
}

const MSG* CWnd::GetCurrentMessage() { return &t_currentMessage; }

void CWnd::BindHandle(HWND window)
{
    m_hWnd = window;
    SetPropA(window, kWindowObjectProperty, this);
}

void CWnd::UnbindHandle()
{
    if (FromHandlePermanent(m_hWnd) == this)
        RemovePropA(m_hWnd, kWindowObjectProperty);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
}

BOOL CWnd::Attach(HWND window)
{
    if (!window || m_hWnd || FromHandlePermanent(window))
        return FALSE;
    BindHandle(window);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND window = m_hWnd;
    if (window)
        UnbindHandle();
    return window;
}

BOOL CWnd::SubclassWindow(HWND window)
{
    if (!Attach(window))
        return FALSE;
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (previous != AfxWndProc) {
        m_pfnSuper = previous;
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc));
    }
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    if (!parent || !parent->m_hWnd)
        return FALSE;
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd && m_pfnSuper)
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    return Detach();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&) { return TRUE; }

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id, void* param)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = rect.left;
    cs.y = rect.top;
    if (rect.left == static_cast<LONG>(CW_USEDEFAULT)) {
        // The system's default place is a position and a size, not a rectangle.
        cs.cx = static_cast<int>(CW_USEDEFAULT);
        cs.cy = static_cast<int>(CW_USEDEFAULT);
    } else {
        cs.cx = rect.right - rect.left;
        cs.cy = rect.bottom - rect.top;
    }
    cs.hwndParent = parent ? parent->m_hWnd : nullptr;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
    cs.hInstance = GetModuleHandleA(nullptr);
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs))
        return FALSE;
    HWND window;
    {
        AfxHookWindowCreate hook(this);
        window = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                 cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    // A window that failed after it was bound has had its WM_NCDESTROY, which
    // unbound it and may have deleted this object: nothing more is touched.
    return window != nullptr;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

void CWnd::CenterWindow()
{
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    bool onOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(onOwner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& area = monitor.rcWork;
    RECT around = area;
    RECT window = {};
    if ((onOwner && !GetWindowRect(owner, &around)) || !GetWindowRect(m_hWnd, &window))
        return;
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int left = (around.left + around.right - width) / 2;
    int top = (around.top + around.bottom - height) / 2;
    // A window larger than the area shows its caption and left edge.
    left = std::max(std::min(left, static_cast<int>(area.right) - width), static_cast<int>(area.left));
    top = std::max(std::min(top, static_cast<int>(area.bottom) - height), static_cast<int>(area.top));
    SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg = {};
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    EnumChildWindows(m_hWnd, SendToChild, reinterpret_cast<LPARAM>(&msg));
}

void CWnd::SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text ? text : ""); }

int CWnd::GetWindowText(char* buffer, int size) const
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    return ::GetWindowTextA(m_hWnd, buffer, size);
}

void CWnd::SetFont(const CFont* font, BOOL redraw)
{
    HFONT handle = font ? font->GetSafeHandle() : nullptr;
    SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(handle), MAKELPARAM(redraw, 0));
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

const AFX_MSGMAP_ENTRY* CWnd::FindEntry(UINT message, UINT code, UINT id) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry && entry->nMessage; ++entry) {
            if (entry->nMessage != message)
                continue;
            if (message != WM_COMMAND || (entry->nCode == code && entry->nID == id))
                return entry;
        }
    }
    return nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result))
        return result;
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *result = 0;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindEntry(message, 0, 0);
    if (!entry)
        return FALSE;
    *result = (this->*entry->pfn)(wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM)
{
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), nullptr, nullptr);
}

BOOL CWnd::OnCmdMsg(UINT id, int code, void*, void*)
{
    // Only commands have table rows; update requests find none here.
    if (code == CN_UPDATE_COMMAND_UI)
        return FALSE;
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_COMMAND, static_cast<UINT>(code), id);
    if (!entry)
        return FALSE;
    (this->*entry->pfn)(MAKEWPARAM(id, code), 0);
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(t_currentMessage.message, t_currentMessage.wParam, t_currentMessage.lParam);
}

LRESULT CWnd::OnSysColorChange(WPARAM wParam, LPARAM lParam)
{
    // The system tells top-level windows only; their controls draw in the
    // colours too.
    if (!(GetWindowLongA(m_hWnd, GWL_STYLE) & WS_CHILD))
        SendMessageToDescendants(WM_SYSCOLORCHANGE, wParam, lParam);
    return Default();
}

void CWnd::PostNcDestroy() {}

void CWnd::PreSubclassWindow() {}

void CWnd::BeginModalState()
{
    m_bContinueModal = true;
    m_nModalResult = -1;
}

BOOL CWnd::ContinueModal() { return m_bContinueModal; }

void CWnd::EndModalLoop(int result)
{
    m_nModalResult = result;
    if (m_bContinueModal) {
        m_bContinueModal = false;
        // Wakes a loop that waits in GetMessage so that it sees the end.
        PostMessageA(m_hWnd, WM_NULL, 0, 0);
    }
}

int CWnd::RunModalLoop(DWORD flags)
{
    bool showPending = (flags & MLF_SHOWONIDLE) != 0;
    bool idle = true;
    MSG peeked;
    if (!ContinueModal())
        return m_nModalResult;
    for (;;) {
        while (idle && !PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showPending && m_hWnd) {
                ShowWindow(m_hWnd, SW_SHOWNORMAL);
                UpdateWindow(m_hWnd);
                showPending = false;
            }
            HWND owner = m_hWnd ? GetWindow(m_hWnd, GW_OWNER) : nullptr;
            if (owner && !(flags & MLF_NOIDLEMSG))
                SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(m_hWnd));
            idle = false;
        }
        do {
            // A quit request ends the run but stays queued, with its exit
            // code, for the loop outside.
            if (PeekMessageA(&peeked, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
                m_bContinueModal = false;
                return -1;
            }
            if (!AfxPumpMessage()) {
                // The outer loop must see the quit request too.
                PostQuitMessage(0);
                m_bContinueModal = false;
                return -1;
            }
            if (AfxTakeHandlerFailure())
                EndModalLoop(-1);
            if (!m_hWnd && m_bContinueModal) {
                // The window was destroyed behind the loop's back.
                m_bContinueModal = false;
                m_nModalResult = -1;
            }
            if (!ContinueModal())
                return m_nModalResult;
        } while (PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE));
        idle = true;
    }
}

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = CWnd::FromHandlePermanent(window);
    if (!object)
        return ::DefWindowProcA(window, message, wParam, lParam);
    MSG outer = t_currentMessage;
    t_currentMessage.hwnd = window;
    t_currentMessage.message = message;
    t_currentMessage.wParam = wParam;
    t_currentMessage.lParam = lParam;
    LRESULT result = 0;
    try {
        result = object->WindowProc(message, wParam, lParam);
    } catch (...) {
        // Unwinding through the system's frames is not possible; the modal
        // loop that runs this window learns of it and ends with -1.
        t_handlerFailed = true;
        if (message == WM_NCDESTROY)
            object->Default();
    }
    t_currentMessage = outer;
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(window) == object) {
        object->UnbindHandle();
        object->PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_windowToBind) {
        CWnd* object = t_windowToBind;
        t_windowToBind = nullptr;
        object->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

AfxHookWindowCreate::AfxHookWindowCreate(CWnd* window) : m_hHook(nullptr), m_pPrevious(t_windowToBind)
{
    if (!t_creationHook) {
        m_hHook = SetWindowsHookExA(WH_CBT, AfxCbtFilterHook, nullptr, GetCurrentThreadId());
        t_creationHook = m_hHook;
    }
    t_windowToBind = window;
}

AfxHookWindowCreate::~AfxHookWindowCreate()
{
    t_windowToBind = m_pPrevious;
    if (m_hHook) {
        UnhookWindowsHookEx(m_hHook);
        t_creationHook = nullptr;
    }
}

void AfxNoteHandlerFailure() { t_handlerFailed = true; }

bool AfxTakeHandlerFailure()
{
    bool failed = t_handlerFailed;
    t_handlerFailed = false;
    return failed;
}
