// Helpers for tests that drive real windows of the calling thread: a dialog
// that runs a test's step inside its own modal loop, scripted steps for
// dialogs found by caption, and message pumps with a time limit.
#pragma once

#include "ui/alert_dialog.h"
#include "ui/window_layer.h"

#include <functional>
#include <string>
#include <vector>

// An alert that, once its loop has shown it, runs `step` from a timer inside
// that loop; `log` keeps its window's messages (WM_SHOWWINDOW when showing).
class ScriptedDialog : public CAlertDialog {
public:
    explicit ScriptedDialog(std::function<void(ScriptedDialog&)> step) : step_(std::move(step)) {}
    std::vector<UINT> log;

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<void(ScriptedDialog&)> step_;
};

// Counts beeps and keeps flashed windows in place of the system's, while it lives.
class RecordingFeedback : public ClickFeedback {
public:
    RecordingFeedback() : previous_(WindowLayer::SetClickFeedback(this)) {}
    ~RecordingFeedback() override { WindowLayer::SetClickFeedback(previous_); }
    void Beep() override { ++beeps; }
    void Flash(HWND window) override { flashed.push_back(window); }
    int beeps = 0;
    std::vector<HWND> flashed;

private:
    ClickFeedback* previous_;
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
// A dialog's result under the steps, or -2 when they did not all run.
int32_t RunScripted(CDialog& dialog, std::vector<DialogStep> steps);

void PostKeyToFocus(WPARAM key);
void ClickButton(HWND dialog, int id);
std::string WindowTextOf(HWND window);

// Dispatches messages until `done` (true) or until `timeoutMs` passed (false).
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Runs `work` on a Windows thread of its own while this one dispatches and
// answers with OK each alert titled `title` that appears; the number
// answered, or -1 when the work did not end within 30 s.
int AnswerAlertsWhileRunning(const std::function<void()>& work, const char* title);
