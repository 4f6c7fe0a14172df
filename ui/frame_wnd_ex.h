// CFrameWndEx: the program's frame window base. It joins the modal window
// layer once its window exists and keeps or deletes its object as autoDelete
// says. Constructed without a window it serves as the application's
// main-window object, which keeps the message loop running while the update
// worker runs. User-interface thread.
#pragma once

#include "afx/frame.h"
#include "ui/window_layer.h"

#include <cstdint>

class CFrameWndEx : public CFrameWnd {
public:
    // No window yet; the layer member is listed but not registered.
    CFrameWndEx();
    ~CFrameWndEx() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCFrameWndEx;

    WindowLayer layer;
    // 3 until the window is created, then 0 (the sizing frame does not size).
    uint8_t resizeMode;
    // 1: the object deletes itself when its window is gone; 0: its owner
    // deletes it, and the destructor destroys a window that still exists.
    uint8_t autoDelete;

protected:
    void PostNcDestroy() override;

private:
    // Set by the destructor: the window's end must not delete the object again.
    bool destroying_;
};
