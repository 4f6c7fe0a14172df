#include "ui/frame_wnd_ex.h"

const CRuntimeClass CFrameWndEx::classCFrameWndEx = {"CFrameWndEx", &CFrameWnd::classCFrameWnd};

CFrameWndEx::CFrameWndEx() : resizeMode(3), autoDelete(1), destroying_(false) {}

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

void CFrameWndEx::PostNcDestroy()
{
    if (autoDelete && !destroying_)
        delete this;
}
