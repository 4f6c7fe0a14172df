#include "ui/frame_wnd_ex.h"

#include "ui/sizing_hit_test.h"
#include "ui/theme_library.h"

namespace {

const DWORD kFrameStyle = WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;
const UINT kQuietRedraw = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
const LayerRules kFrameRules = {false, true, true};

bool CanTakeTab(HWND window)
{
    LONG style = GetWindowLongA(window, GWL_STYLE);
    return (style & WS_VISIBLE) && !(style & WS_DISABLED) && (style & WS_TABSTOP);
}

// The window's own icon of `kind`, unless it is the class's, which other
// windows of the class still show.
void DestroyOwnIcon(HWND window, WPARAM kind, int classIndex)
{
    HICON icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, kind, 0));
    if (icon && icon != reinterpret_cast<HICON>(GetClassLongPtrA(window, classIndex)))
        DestroyIcon(icon);
}

}  // namespace

HWND NextTabSibling(HWND from, bool backward)
{
    if (!from)
        return nullptr;
    UINT step = backward ? GW_HWNDPREV : GW_HWNDNEXT;
    UINT wrap = backward ? GW_HWNDLAST : GW_HWNDFIRST;
    HWND candidate = from;
    for (;;) {
        HWND next = GetWindow(candidate, step);
        candidate = next ? next : GetWindow(from, wrap);
        if (!candidate || candidate == from)
            return nullptr;
        if (CanTakeTab(candidate))
            return candidate;
    }
}

FrameCommands::FrameCommands(CWnd* owner, FrameCommands* nextHandler) : frame(owner), next(nextHandler) {}

BOOL FrameCommands::OnCmdMsg(UINT id, int code, void* extra)
{
    if (id == ID_APP_EXIT_COMMAND) {
        if (code == CN_UPDATE_COMMAND_UI) {
            if (extra)
                static_cast<CCmdUI*>(extra)->Enable(TRUE);
            return TRUE;
        }
        if (code == CN_COMMAND) {
            if (frame && frame->m_hWnd)
                PostMessageA(frame->m_hWnd, WM_CLOSE, 0, 0);
            return TRUE;
        }
    }
    return next ? next->OnCmdMsg(id, code, extra) : FALSE;
}

const CRuntimeClass CFrameWndEx::classCFrameWndEx = {"CFrameWndEx", &CFrameWnd::classCFrameWnd};

const AFX_MSGMAP_ENTRY CFrameWndEx::messageEntries[] = {
    {WM_SETFOCUS, 0, 0, AFX_HANDLER(&CFrameWndEx::OnSetFocus)},
    {WM_NCDESTROY, 0, 0, AFX_HANDLER(&CFrameWndEx::OnNcDestroyMessage)},
    {WM_ACTIVATE, 0, 0, AFX_HANDLER(&CFrameWndEx::OnLayerMessage)},
    {WM_WINDOWPOSCHANGING, 0, 0, AFX_HANDLER(&CFrameWndEx::OnWindowPosChanging)},
    {WM_MOUSEACTIVATE, 0, 0, AFX_HANDLER(&CFrameWndEx::OnLayerMessage)},
    {WM_TASKBAR_BUTTON_MENU, 0, 0, AFX_HANDLER(&CFrameWndEx::OnLayerMessage)},
    {WM_THEMECHANGED, 0, 0, AFX_HANDLER(&CFrameWndEx::OnThemeChanged)},
    {WM_NCHITTEST, 0, 0, AFX_HANDLER(&CFrameWndEx::OnNcHitTest)},
    {WM_FRAME_RESIZE_REFUSED, 0, 0, AFX_HANDLER(&CFrameWndEx::OnResizeRefused)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CFrameWndEx::messageMap = {&CWnd::messageMap, CFrameWndEx::messageEntries};

const AFX_MSGMAP* CFrameWndEx::GetMessageMap() const { return &messageMap; }

CFrameWndEx::CFrameWndEx(FrameCommands* nextHandler)
    : commands(this, nextHandler), layer(), resizeMode(3), autoDelete(1), destroying_(false)
{
}

CFrameWndEx::~CFrameWndEx()
{
    // Destroyed here rather than by the base, so the frame's own handlers
    // still see the window's last messages; PostNcDestroy then keeps the
    // object, which is already going.
    destroying_ = true;
    if (m_hWnd)
        DestroyWindow();
}

const CRuntimeClass* CFrameWndEx::GetRuntimeClass() const { return &classCFrameWndEx; }

BOOL CFrameWndEx::CreateFrame(UINT iconId, const RECT& rect, const char* title, bool withSystemMenu)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    HICON icon = iconId ? LoadIconA(module, MAKEINTRESOURCEA(iconId)) : nullptr;
    const char* className =
        AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)),
                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon);
    if (!className)
        return FALSE;
    DWORD style = kFrameStyle | (withSystemMenu ? WS_SYSMENU : 0);
    // The window's edges depend on the look; ask PreCreateWindow what they
    // will be so that the client area comes out as asked.
    CREATESTRUCTA probe = {};
    probe.lpszClass = className;
    probe.style = static_cast<LONG>(style);
    if (!PreCreateWindow(probe))
        return FALSE;
    RECT window = rect;
    AdjustWindowRectEx(&window, probe.style, FALSE, probe.dwExStyle);
    if (!Create(className, title, style, window, nullptr, nullptr, 0))
        return FALSE;
    layer.SetLevel(this, WindowLayer::kModalLevel);
    resizeMode = 0;
    return TRUE;
}

BOOL CFrameWndEx::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    if (ThemesActive()) {
        cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
        cs.dwExStyle |= WS_EX_STATICEDGE;
    }
    return TRUE;
}

BOOL CFrameWndEx::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_CHAR && msg->wParam == '\t' && !(GetKeyState(VK_CONTROL) & 0x8000)) {
        HWND target = NextTabSibling(msg->hwnd, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
        if (target) {
            SetFocus(target);
            if (SendMessageA(target, WM_TAB_FOCUSED, 0, 0) == 0)
                SendMessageA(target, EM_SETSEL, 0, -1);
        }
        return TRUE;
    }
    if (msg->message == WM_MOUSEWHEEL) {
        POINT at = {static_cast<short>(LOWORD(msg->lParam)), static_cast<short>(HIWORD(msg->lParam))};
        HWND under = WindowFromPoint(at);
        if (under) {
            SendMessageA(under, msg->message, msg->wParam, msg->lParam);
            return TRUE;
        }
    }
    return CFrameWnd::PreTranslateMessage(msg);
}

BOOL CFrameWndEx::OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo)
{
    if ((code == CN_COMMAND || code == CN_UPDATE_COMMAND_UI) && commands.OnCmdMsg(id, code, extra))
        return TRUE;
    return CFrameWnd::OnCmdMsg(id, code, extra, handlerInfo);
}

void CFrameWndEx::PostNcDestroy()
{
    if (autoDelete && !destroying_)
        delete this;
}

void CFrameWndEx::OnNcDestroy()
{
    DestroyOwnIcon(m_hWnd, ICON_SMALL, GCLP_HICONSM);
    DestroyOwnIcon(m_hWnd, ICON_BIG, GCLP_HICON);
    Default();
}

LRESULT CFrameWndEx::OnSetFocus(WPARAM, LPARAM) { return 0; }

LRESULT CFrameWndEx::OnNcDestroyMessage(WPARAM, LPARAM)
{
    OnNcDestroy();
    return 0;
}

LRESULT CFrameWndEx::OnLayerMessage(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (layer.FilterMessage(m_hWnd, kFrameRules, GetCurrentMessage()->message, wParam, lParam, &result))
        return result;
    return Default();
}

LRESULT CFrameWndEx::OnThemeChanged(WPARAM, LPARAM)
{
    LONG exStyle = GetWindowLongA(m_hWnd, GWL_EXSTYLE);
    bool clientEdge = (exStyle & WS_EX_CLIENTEDGE) != 0;
    if (ThemesActive() && clientEdge) {
        SetWindowLongA(m_hWnd, GWL_EXSTYLE, exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE));
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, kQuietRedraw);
    } else if (!ThemesActive() && !clientEdge) {
        SetWindowLongA(m_hWnd, GWL_EXSTYLE, WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, kQuietRedraw);
    }
    return 0;
}

LRESULT CFrameWndEx::OnWindowPosChanging(WPARAM wParam, LPARAM lParam)
{
    WINDOWPOS* change = reinterpret_cast<WINDOWPOS*>(lParam);
    RECT now = {};
    if (change && resizeMode == 0 && !(change->flags & SWP_NOSIZE) && GetWindowRect(m_hWnd, &now) &&
        (change->cx != now.right - now.left || change->cy != now.bottom - now.top)) {
        change->flags |= SWP_NOSIZE | SWP_NOMOVE;
        PostMessageA(m_hWnd, WM_FRAME_RESIZE_REFUSED, 0, 0);
    }
    return OnLayerMessage(wParam, lParam);
}

LRESULT CFrameWndEx::OnResizeRefused(WPARAM, LPARAM)
{
    // Under a window manager Wine keeps the screen's window at the size the
    // manager gave it until the window's own size changes; one pixel out and
    // back makes it take our size again.
    RECT now = {};
    if (!GetWindowRect(m_hWnd, &now))
        return 0;
    const UINT quiet = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    uint8_t mode = resizeMode;
    resizeMode = 3;
    SetWindowPos(m_hWnd, nullptr, 0, 0, now.right - now.left + 1, now.bottom - now.top, quiet | SWP_NOREDRAW);
    SetWindowPos(m_hWnd, nullptr, 0, 0, now.right - now.left, now.bottom - now.top, quiet);
    resizeMode = mode;
    return 0;
}

LRESULT CFrameWndEx::OnNcHitTest(WPARAM, LPARAM) { return FilterSizingHitTest(resizeMode, Default()); }
