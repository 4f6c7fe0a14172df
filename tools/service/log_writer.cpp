#include "tools/service/log_writer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

// Shared by the writer object and its thread, so that a thread still stuck
// in write() when the object goes away touches nothing that is gone.
struct LogWriter::State {
    int fd;
    size_t limit;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::string queue;
    unsigned long long dropped = 0;
    bool writing = false;
    bool stopping = false;
};

namespace {

// Writes all bytes unless the output fails for good (a reader that went
// away, say); the log then goes on into the void.
void WriteAll(int fd, const std::string& bytes)
{
    for (size_t done = 0; done < bytes.size();) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        done += static_cast<size_t>(written);
    }
}

}  // namespace

void LogWriter::RunWriter(std::shared_ptr<State> state)
{
    std::unique_lock<std::mutex> lock(state->mutex);
    for (;;) {
        state->wake.wait(lock, [&] { return !state->queue.empty() || state->stopping; });
        if (state->queue.empty())
            return;
        std::string batch;
        batch.swap(state->queue);
        state->writing = true;
        lock.unlock();
        WriteAll(state->fd, batch);
        lock.lock();
        state->writing = false;
        if (state->queue.empty())
            state->idle.notify_all();
    }
}

LogWriter::LogWriter(int fd, size_t queueLimitBytes) : state_(std::make_shared<State>())
{
    state_->fd = fd;
    state_->limit = queueLimitBytes;
    std::thread(RunWriter, state_).detach();
}

LogWriter::~LogWriter()
{
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->stopping = true;
    state_->wake.notify_all();
    state_->idle.wait_for(lock, std::chrono::milliseconds(kFlushMs),
                          [&] { return state_->queue.empty() && !state_->writing; });
}

void LogWriter::Line(const char* format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    int length = std::vsnprintf(line, sizeof line - 1, format, arguments);
    va_end(arguments);
    if (length < 0)
        return;
    size_t size = std::min(static_cast<size_t>(length), sizeof line - 2);
    line[size++] = '\n';
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->queue.size() + size > state_->limit) {
        ++state_->dropped;
        return;
    }
    if (state_->dropped != 0) {
        char note[96];
        std::snprintf(note, sizeof note, "log: %llu lines dropped while the output was too slow\n",
                      state_->dropped);
        state_->queue += note;
        state_->dropped = 0;
    }
    state_->queue.append(line, size);
    state_->wake.notify_one();
}
