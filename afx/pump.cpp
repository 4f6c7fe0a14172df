// Taking one message and handing it on, for run loops and modal loops.
#include "afx/wnd.h"

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
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0)
        return FALSE;
    if (msg.hwnd && AfxWalkPreTranslateTree(&msg))
        return TRUE;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return TRUE;
}
