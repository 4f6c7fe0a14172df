#include "ui/console_sink.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {
void CopyText(char* target, const char* text) { std::snprintf(target, 256, "%s", text ? text : ""); }
}  // namespace

ConsoleProgressSink::ConsoleProgressSink()
    : title_(), status_(), terminal_(isatty(STDERR_FILENO) != 0), lastPercent_(-1)
{
}

void ConsoleProgressSink::Show()
{
    if (title_[0])
        std::fprintf(stderr, "%s\n", title_);
}

void ConsoleProgressSink::GetTitle(char* buffer) { CopyText(buffer, title_); }

void ConsoleProgressSink::SetTitle(const char* text) { CopyText(title_, text); }

void ConsoleProgressSink::GetStatusText(char* buffer) { CopyText(buffer, status_); }

void ConsoleProgressSink::SetStatusText(const char* text, int32_t)
{
    if (std::strcmp(status_, text ? text : "") == 0)
        return;
    CopyText(status_, text);
    lastPercent_ = -1;
    if (terminal_)
        std::fprintf(stderr, "\r\033[K%s", status_);
    else
        std::fprintf(stderr, "%s\n", status_);
}

void ConsoleProgressSink::SetProgress(uint32_t done, uint32_t total, int32_t)
{
    if (terminal_ && total != 0)
        DrawBar(done, total);
}

void ConsoleProgressSink::DrawBar(uint32_t done, uint32_t total)
{
    const int width = 30;
    int percent = static_cast<int>(static_cast<uint64_t>(done) * 100 / total);
    if (percent > 100)
        percent = 100;
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    int filled = percent * width / 100;
    std::fprintf(stderr, "\r\033[K%s [%.*s%*s] %3d%%", status_, filled,
                 "==============================", width - filled, "", percent);
    if (percent == 100)
        std::fputc('\n', stderr);
}

void ConsoleProgressSink::Update() { std::fflush(stderr); }
