// How a running piece of work reports its status line and progress. The
// progress window is the implementation that users see; ConsoleProgressSink
// serves runs without one.
#pragma once

#include <cstdint>

class ProgressSink {
public:
    virtual ~ProgressSink() = default;

    // Makes the window visible and repaints it. Any thread; returns at once.
    virtual void Show() = 0;
    // Copies the title, NUL-terminated and cut to 255 characters, into a
    // 256-byte buffer. Window thread only.
    virtual void GetTitle(char* buffer) = 0;
    // Window thread only.
    virtual void SetTitle(const char* text) = 0;
    // As GetTitle, for the status line. Window thread only.
    virtual void GetStatusText(char* buffer) = 0;
    // Replaces the status line; null or empty clears it. The flag means nothing
    // to the display. Any thread: the text is copied before the call returns.
    virtual void SetStatusText(const char* text, int32_t flag) = 0;
    // done and total 0: a busy state with no measure; otherwise done of total.
    // Any thread; calls take effect in the order made.
    virtual void SetProgress(uint32_t done, uint32_t total, int32_t flag) = 0;
    // Repaints the whole window at once. Window thread only.
    virtual void Update() = 0;
};
