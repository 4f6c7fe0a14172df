// CFrameWnd: a top-level frame window. As the framework's frames do, it
// deletes its object when its window is gone (PostNcDestroy), so frames are
// created on the heap; a derived class may keep its object instead.
#pragma once

#include "afx/wnd.h"

// Thread: the thread that creates the window runs it.
class CFrameWnd : public CWnd {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCFrameWnd;
    // Lets the system place the window.
    static const RECT rectDefault;

    // Creates the frame; a null class name takes the framework's frame class
    // (double-clicks, arrow cursor, window background). No menu is loaded
    // when `menuName` is null.
    BOOL Create(const char* className, const char* title, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* parent = nullptr, const char* menuName = nullptr,
                DWORD exStyle = 0);
    // Frames get a sunken client edge.
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

protected:
    void PostNcDestroy() override;
};
