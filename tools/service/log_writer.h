// The service's log on standard output, written by a thread of its own so
// that a slow or stopped reader (a pipe nobody drains, a stalled terminal)
// never holds up the event loop. Lines wait in a queue of bounded size;
// lines that find it full are dropped and counted, and the count is logged
// once the output moves again.
#pragma once

#include <cstddef>
#include <memory>

class LogWriter {
public:
    // Writes to the descriptor fd, which stays open and blocking: the
    // writer thread is the only one that waits on it.
    explicit LogWriter(int fd, size_t queueLimitBytes = 1 << 20);
    // Writes what is still queued, waiting at most flushMs for an output that
    // does not move; whatever is left then is given up.
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Queues one line, printf-style, without its newline. Any thread; never
    // waits for the output.
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));

    static constexpr int kFlushMs = 2000;

private:
    struct State;
    static void RunWriter(std::shared_ptr<State> state);

    std::shared_ptr<State> state_;
};
