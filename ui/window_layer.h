// The modal window layer: the program's dialogs and its progress window are
// unowned top-level windows, so the system's owner-based modality does not
// hold them together. Each of them embeds a WindowLayer; the process-wide
// layer list ties them into one layer whose most recent visible member takes
// every activation, stays on top, and answers clicks on the others.
//
// Thread: the list is shared by the user-interface thread and the update
// worker (which constructs and destroys alerts), so every access to it takes
// the list's lock. The lock is never held while a window is activated or moved,
// because that sends messages to windows of the other thread.
#pragma once

#include "afx/wnd.h"

#include <cstdint>

// How a rejected click tells the user: a beep and a flash of the blocking
// window's caption. The system's way is the default; a test puts its own in
// place to see what was told, since neither leaves a trace that a program
// can read back.
class ClickFeedback {
public:
    virtual ~ClickFeedback() = default;
    virtual void Beep();              // the default beep (type 0)
    virtual void Flash(HWND window);  // WindowLayer::FlashCaption
};

// The message the system sends when the user right-clicks a window's
// taskbar button.
const UINT WM_TASKBAR_BUTTON_MENU = 0x0313;

// Where the rules differ between the two kinds of member window.
struct LayerRules {
    // Activation and z-order rules hold only while the window is visible
    // (dialogs); otherwise the window takes the default handling.
    bool whileVisible;
    // Passing activation on also redraws the window's frame as it is (the
    // progress window).
    bool redrawOnActivate;
    // Once registered, position changes that keep the z-order are answered
    // here too, without the default handling (the progress window).
    bool keepsEveryPositionChange;
};

class WindowLayer {
public:
    static const uint8_t kModalLevel = 3;

    // Level 0, no owner; appended to the layer list.
    WindowLayer();
    // Removed from the layer list (and from the count of modal members).
    ~WindowLayer();
    WindowLayer(const WindowLayer&) = delete;
    WindowLayer& operator=(const WindowLayer&) = delete;

    // Registers the member for `owner` at `level` (3: the modal layer).
    // Called once per window, on the owner's thread.
    void SetLevel(CWnd* owner, uint8_t level);
    uint8_t GetLevel() const { return level_; }
    CWnd* GetOwner() const { return owner_; }

    // The layer's rules for a message of the member's window `window`:
    // activation (WM_ACTIVATE), z-order (WM_WINDOWPOSCHANGING), mouse
    // activation (WM_MOUSEACTIVATE) and the taskbar button menu. True when a
    // rule answered the message, with the answer in `result`; false when the
    // message takes the window's default handling. The window's thread; the
    // member need not be registered yet.
    bool FilterMessage(HWND window, const LayerRules& rules, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT* result);

    // True when this member is the topmost visible modal member.
    bool IsTopModal() const;
    // Whether the owner may be activated now: a modal member when it is the
    // topmost visible one; an unregistered one when no modal member exists.
    bool MayActivate() const;

    // The most recently constructed member whose owner's window is `window`.
    // Any thread; the pointer may be compared, but dereferenced only by the
    // member's own thread.
    static WindowLayer* FindByWindow(HWND window);
    // The member of `level` whose window is highest in the desktop's z-order
    // among the visible top-level windows, or null. As FindByWindow.
    static WindowLayer* FindTopVisible(uint8_t level);
    // True while at least one member is registered at the modal level.
    static bool HasModalMember();
    // Activates the topmost visible modal window; nothing when there is none.
    static void ActivateTopModal();
    // A click on a blocked window: activates the topmost visible modal
    // window, beeps and flashes its caption. Nothing (no beep) without one.
    static void RejectClick();
    // Brings every visible modal window to the top of the z-order in list
    // order (so the most recently constructed ends on top), without moving,
    // sizing or activating them and without position-changing messages.
    static void RaiseModal();
    // Flashes the window's caption (not its taskbar button) 3 times, 60 ms.
    static void FlashCaption(HWND window);
    // Replaces how rejected clicks are told (null: the system's way) and
    // returns the previous one. Set it before windows run, on one thread.
    static ClickFeedback* SetClickFeedback(ClickFeedback* feedback);

private:
    uint8_t level_;
    CWnd* owner_;
    bool listed_;  // false when the list could not grow to take the member
};
