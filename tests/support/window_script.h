// Helpers for tests that drive real windows: a dialog that runs a test's
// step from inside its own modal loop, a recorder of the messages windows
// receive, and a bounded message pump.
#pragma once

#include "ui/alert_dialog.h"
#include "ui/window_layer.h"

#include <functional>
#include <string>
#include <vector>

// An alert (template 151) that, once its modal loop has shown it, runs
// `step` from a timer inside that loop. The step usually ends the dialog.
class ScriptedDialog : public CAlertDialog {
public:
    explicit ScriptedDialog(std::function<void(ScriptedDialog&)> step);

    bool ranStep;

protected:
    BOOL OnInitDialog() override;
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP messageMap;

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];
    std::function<void(ScriptedDialog&)> step_;
};

// Takes the place of the system's beep and caption flash while it lives,
// and counts what rejected clicks told the user.
class RecordingFeedback : public ClickFeedback {
public:
    RecordingFeedback() : beeps(0), previous_(WindowLayer::SetClickFeedback(this)) {}
    ~RecordingFeedback() override { WindowLayer::SetClickFeedback(previous_); }
    void Beep() override { ++beeps; }
    void Flash(HWND window) override { flashed.push_back(window); }

    int beeps;
    std::vector<HWND> flashed;

private:
    ClickFeedback* previous_;
};

// One step of a DialogScript: once the dialog with `caption` is the topmost
// visible modal window, `act` runs on it.
struct DialogStep {
    std::string caption;
    std::function<void(HWND dialog)> act;
};

// Runs its steps from a thread timer, so they run inside whatever modal loop
// the thread is turning, nested ones included. When a step waits more than
// `timeoutMs`, the script gives up: it posts WM_QUIT, which unwinds every
// modal loop (the caller removes it with TakeQuit). One at a time.
class DialogScript {
public:
    explicit DialogScript(std::vector<DialogStep> steps, DWORD timeoutMs = 15000);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // Steps that have run; all of them when the script went to its end.
    size_t Done() const { return next_; }
    bool Finished() const { return next_ == steps_.size(); }
    bool GaveUp() const { return gaveUp_; }
    // Removes the WM_QUIT that giving up left behind.
    static void TakeQuit();

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Step();

    std::vector<DialogStep> steps_;
    size_t next_;
    DWORD waitingSince_;
    DWORD timeoutMs_;
    bool gaveUp_;
    UINT_PTR timer_;
};

// Sends a key press to the control with the focus, as the keyboard would.
void PostKeyToFocus(WPARAM key);
// Clicks the dialog's button `id` (BM_CLICK).
void ClickButton(HWND dialog, int id);
// The window's text, up to 4095 characters.
std::string WindowTextOf(HWND window);

// One message as a window received it.
struct LoggedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
};

// Records the sent and posted messages of the calling thread's windows that
// are in `watched` (all of them when empty) while it lives. One at a time.
class MessageLog {
public:
    explicit MessageLog(std::vector<UINT> watched);
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // The messages of `window` in the order received.
    std::vector<UINT> MessagesOf(HWND window) const;

    std::vector<LoggedMessage> entries;

private:
    void Record(HWND window, UINT message, WPARAM wParam);
    static LRESULT CALLBACK SentHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PostedHook(int code, WPARAM wParam, LPARAM lParam);

    std::vector<UINT> watched_;
    HHOOK sent_;
    HHOOK posted_;
};

// Dispatches the calling thread's messages until `done` is true or
// `timeoutMs` has passed; true when `done` became true.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Whether `expected` appears in `actual` in this order (other messages may
// come between). On failure `why` says which expected message was missing.
bool ContainsInOrder(const std::vector<UINT>& actual, const std::vector<UINT>& expected,
                     std::string* why);
