// A ProgressSink for runs that have no progress window: the status line and a
// bar go to stderr when stderr is a terminal; otherwise each status change is
// one plain line. Safe to call from one thread at a time.
#pragma once

#include "base/progress_sink.h"

class ConsoleProgressSink : public ProgressSink {
public:
    ConsoleProgressSink();

    void Show() override;
    void GetTitle(char* buffer) override;
    void SetTitle(const char* text) override;
    void GetStatusText(char* buffer) override;
    void SetStatusText(const char* text, int32_t flag) override;
    void SetProgress(uint32_t done, uint32_t total, int32_t flag) override;
    void Update() override;

private:
    void DrawBar(uint32_t done, uint32_t total);

    char title_[256];
    char status_[256];
    bool terminal_;
    int lastPercent_;
};
