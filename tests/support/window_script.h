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
