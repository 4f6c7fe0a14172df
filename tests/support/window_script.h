// Helpers for tests that drive real windows: steps played on dialogs found by
// caption inside whatever modal loops the test's call turns.
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
DialogStep PressOk(const std::string& caption);

// Does to the dialog what a person would: "Return" or "Escape" (keys to the
// focus), "close" (the close box), a control id (that button clicked), or
// "ID=TEXT" (the text typed into that box, within its limit).
void Press(HWND dialog, const std::string& what);

// Counts beeps and keeps flashed windows in place of the system's, while it lives.
struct RecordingFeedback : ClickFeedback {
    RecordingFeedback() { WindowLayer::SetClickFeedback(this); }
    ~RecordingFeedback() override { WindowLayer::SetClickFeedback(nullptr); }
    void Beep() override { ++beeps; }
    void Flash(HWND window) override { flashed.push_back(window); }
    int beeps = 0;
    std::vector<HWND> flashed;
};
