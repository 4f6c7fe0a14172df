// Helpers for tests that drive real windows of the calling thread: a dialog
// that runs a test's step inside its own modal loop, scripted steps for
// dialogs found by caption, and message pumps with a time limit.
#pragma once

#include "ui/alert_dialog.h"
#include "ui/window_layer.h"

#include <functional>
#include <string>
#include <vector>

// An alert that runs `step` inside its modal loop once the loop has shown
// it, or `duringInit`, while it initialises; `log` keeps its window's
// messages (WM_SHOWWINDOW only when showing).
class ScriptedDialog : public CAlertDialog {
public:
    explicit ScriptedDialog(std::function<void(ScriptedDialog&)> step, bool duringInit = false)
        : step_(std::move(step)), duringInit_(duringInit)
    {
    }
    std::vector<UINT> log;

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<void(ScriptedDialog&)> step_;
    bool duringInit_;
};

// Counts beeps and keeps flashed windows in place of the system's, while it lives.
struct RecordingFeedback : ClickFeedback {
    RecordingFeedback() : previous(WindowLayer::SetClickFeedback(this)) {}
    ~RecordingFeedback() override { WindowLayer::SetClickFeedback(previous); }
    void Beep() override { ++beeps; }
    void Flash(HWND window) override { flashed.push_back(window); }
    ClickFeedback* previous;
    int beeps = 0;
    std::vector<HWND> flashed;
};

// Once the dialog titled `caption` is the topmost visible modal window, `act` runs on it.
struct DialogStep {
    std::string caption;
    std::function<void(HWND dialog)> act;
};
// Makes the call while a thread timer plays the steps inside whatever modal
// loops it turns. False when a step waited 15 s: a WM_QUIT then unwinds the
// loops (and is taken away afterwards).
bool RunScripted(const std::function<void()>& call, std::vector<DialogStep> steps);

void PostKeyToFocus(WPARAM key);
void ClickButton(HWND dialog, int id);

// Dispatches messages until `done` (true) or until `timeoutMs` passed (false).
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Runs `work` on a Windows thread of its own while this one dispatches, and
// answers with OK each alert titled `title` that appears, after `first` (if
// any) has seen the first one; the number answered, or -1 when the work did
// not end within 30 s.
int AnswerAlertsWhileRunning(const std::function<void()>& work, const char* title,
                             const std::function<void(HWND alert)>& first = nullptr);
