#include "ui/large_icon.h"

namespace {

// The brush the dialog paints its static controls' background with.
HBRUSH DialogBackground(HWND control, HDC dc)
{
    HWND parent = GetParent(control);
    HBRUSH brush = nullptr;
    if (parent)
        brush = reinterpret_cast<HBRUSH>(SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(control)));
    return brush ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace

const CRuntimeClass CLargeIcon::classCLargeIcon = {"CLargeIcon", &CStatic::classCStatic};

const AFX_MSGMAP_ENTRY CLargeIcon::messageEntries[] = {
    {WM_PAINT, 0, 0, AFX_HANDLER(&CLargeIcon::OnPaint)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CLargeIcon::messageMap = {&CWnd::messageMap, CLargeIcon::messageEntries};

const AFX_MSGMAP* CLargeIcon::GetMessageMap() const { return &messageMap; }

const CRuntimeClass* CLargeIcon::GetRuntimeClass() const { return &classCLargeIcon; }

CLargeIcon::CLargeIcon(UINT resourceId, uint32_t imageIndex, uint32_t drawSize)
    : size(drawSize), index(imageIndex), list(new CIconList(resourceId, 128))
{
}

CLargeIcon::~CLargeIcon()
{
    // The window goes first: a paint must never find the list gone.
    if (m_hWnd)
        UnsubclassWindow();
    delete list;
    list = nullptr;
}

void CLargeIcon::PreSubclassWindow()
{
    int side = static_cast<int>(size + 4);
    SetWindowPos(m_hWnd, nullptr, 0, 0, side, side,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOCOPYBITS);
}

LRESULT CLargeIcon::OnPaint(WPARAM, LPARAM)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (dc) {
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        FillRect(dc, &client, DialogBackground(m_hWnd, dc));
        if (list) {
            RECT picture = {0, 0, static_cast<LONG>(size), static_cast<LONG>(size)};
            list->Draw(dc, picture, index, false);
        }
    }
    EndPaint(m_hWnd, &paint);
    return 0;
}
