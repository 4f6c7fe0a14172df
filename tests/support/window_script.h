// Helpers for tests that drive real windows: steps played on dialogs found by
// caption inside whatever modal loops the test's call turns, work run on
// another thread while this one dispatches, and a record of rejected clicks.
#pragma once

#include "ui/window_layer.h"

#include <functional>
#include <string>
#include <vector>

// Once the dialog titled `caption` is the topmost visible modal window, `act` runs on it.
struct DialogStep {
    std::string caption;
    std::function<void(HWND dialog)> act;
};
// Makes the call while a thread timer plays the steps in order inside the
// modal loops of this thread. False when 15 s passed, while it dispatched,
// without a step (a dialog that never came, or one still open after the
// last step): a WM_QUIT then unwinds the loops and is taken away afterwards.
bool RunScripted(const std::function<void()>& call, std::vector<DialogStep> steps);
// The step that presses OK in the dialog titled `caption`.
DialogStep PressOk(const std::string& caption);

// Does to the dialog what a person would: "Return" or "Escape" (keys to the
// focus), "close" (the close box), a control id (that button clicked), or
// "ID=TEXT" (the text typed into that box, within its limit).
void Press(HWND dialog, const std::string& what);

// Whether the window's centre lies within a pixel of the work area's, where
// an unowned dialog opens.
bool Centred(HWND window);

// Dispatches messages until `done` (true) or until `timeoutMs` passed (false).
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Runs `work` on a Windows thread of its own while this one dispatches; false
// when it did not end within 30 s (a WM_QUIT then ends a loop it left open).
bool RunOnThreadPumping(const std::function<void()>& work);

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
