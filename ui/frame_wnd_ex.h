// CFrameWndEx: the program's frame window base. It joins the modal window
// layer once its window exists, never resizes through its borders, takes its
// window edge from the visual style, and keeps or deletes its object as
// autoDelete says. Constructed without a window it serves as the
// application's main-window object, which keeps the message loop running
// while the update worker runs. User-interface thread.
#pragma once

#include "afx/frame.h"
#include "ui/window_layer.h"

#include <cstdint>

// The framework's exit-application command.
const UINT ID_APP_EXIT_COMMAND = 0xE102;
// Sent to a control that Tab has just focused; a control that answers
// non-zero selects its own text, else the frame selects all of it.
const UINT WM_TAB_FOCUSED = WM_APP + 14;
// Posted to a frame that refused a change of size; see OnWindowPosChanging.
const UINT WM_FRAME_RESIZE_REFUSED = WM_APP + 15;

// A link in a chain of command handlers: takes what it knows and hands the
// rest to the next.
class FrameCommands {
public:
    FrameCommands(CWnd* frame, FrameCommands* next);
    virtual ~FrameCommands() = default;

    // The frame's own: the exit-application command, enabled, and posting a
    // close request to the frame when run. TRUE when taken here or further on.
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra);

    CWnd* frame;
    FrameCommands* next;
};

class CFrameWndEx : public CFrameWnd {
public:
    // No window yet; the layer member is listed but not registered.
    explicit CFrameWndEx(FrameCommands* nextHandler = nullptr);
    ~CFrameWndEx() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCFrameWndEx;

    // Creates the frame with no parent and no menu around a client area of
    // `rect` (caption, sizing frame, clip children, and the system menu when
    // asked), with icon `iconId` of the program (none for 0); then joins the
    // modal layer and stops the borders from sizing. False on failure.
    BOOL CreateFrame(UINT iconId, const RECT& rect, const char* title, bool withSystemMenu);

    FrameCommands commands;
    WindowLayer layer;
    // 3 until the window is created, then 0 (the sizing frame does not size).
    uint8_t resizeMode;
    // 1: the object deletes itself when its window is gone; 0: its owner
    // deletes it, and the destructor destroys a window that still exists.
    uint8_t autoDelete;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) override;
    void PostNcDestroy() override;
    // The window's last message: its own icons go with it.
    virtual void OnNcDestroy();

    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP messageMap;

    LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcDestroyMessage(WPARAM wParam, LPARAM lParam);
    // Activation, z-order, mouse activation and the taskbar button menu.
    LRESULT OnLayerMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnThemeChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    // With resizeMode 0 a change of size is refused, with the move that came
    // with it: a window manager's border sizes the window without a hit test.
    LRESULT OnWindowPosChanging(WPARAM wParam, LPARAM lParam);
    // After a refusal: shows the window at its own size again.
    LRESULT OnResizeRefused(WPARAM wParam, LPARAM lParam);

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];

    // Set by the destructor: the window's end must not delete the object again.
    bool destroying_;
};

// Tab among the siblings of `from`: the next (or previous) one that is
// visible, enabled and a tab stop, wrapping at the ends; null when the walk
// comes back to `from`. Any thread that owns the windows.
HWND NextTabSibling(HWND from, bool backward);
