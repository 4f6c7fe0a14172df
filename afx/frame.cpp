#include "afx/frame.h"

const CRuntimeClass CFrameWnd::classCFrameWnd = {"CFrameWnd", &CWnd::classCWnd};
const RECT CFrameWnd::rectDefault = {static_cast<LONG>(CW_USEDEFAULT), static_cast<LONG>(CW_USEDEFAULT), 0,
                                     0};

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() = default;

const CRuntimeClass* CFrameWnd::GetRuntimeClass() const { return &classCFrameWnd; }

BOOL CFrameWnd::Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
                       const char* menuName, DWORD exStyle)
{
    HMENU menu = nullptr;
    if (menuName) {
        menu = LoadMenuA(GetModuleHandleA(nullptr), menuName);
        if (!menu)
            return FALSE;
    }
    BOOL created = CreateEx(exStyle, className, title, style, rect, parent,
                            static_cast<UINT>(reinterpret_cast<UINT_PTR>(menu)));
    if (!created && menu)
        DestroyMenu(menu);
    return created;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass) {
        cs.lpszClass =
            AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)),
                                reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
        if (!cs.lpszClass)
            return FALSE;
    }
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

void CFrameWnd::PostNcDestroy() { delete this; }
