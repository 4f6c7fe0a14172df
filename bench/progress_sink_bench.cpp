// How much the progress window's reports cost a download at full speed:
// DownloadPackage runs on a worker thread, as the update worker runs it,
// reporting either to a real progress window (posted to this thread, which
// pumps its messages) or to the console sink. Prints the seconds of the
// download for bench/progress-sink. Wine's start-up is left out.
// Usage: quorvalent-progress-bench URL PACKAGE-NUMBER window|console
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/error_code.h"
#include "package/package_job.h"
#include "bench/measures.h"
#include "ui/console_sink.h"
#include "ui/progress_frame.h"

namespace {

struct Download {
    const char* url;
    uint32_t number;
    ProgressSink* sink;
    ErrorCode result;
};

DWORD WINAPI RunDownload(LPVOID parameter)
{
    Download* download = static_cast<Download*>(parameter);
    PackageJob job(nullptr);
    job.SetProgressSink(download->sink);
    try {
        job.DownloadPackage(download->url, download->number);
    } catch (ErrorCode code) {
        download->result = code;
    }
    return 0;
}

// Pumps this thread's messages until the worker ends.
void PumpUntilDone(HANDLE worker)
{
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s URL PACKAGE-NUMBER window|console\n", argv[0]);
        return 2;
    }
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    bool window = std::strcmp(argv[3], "window") == 0;
    ConsoleProgressSink console;
    CProgressFrame* frame = window ? new CProgressFrame() : nullptr;
    if (frame && !frame->HasWindow()) {
        std::fprintf(stderr, "no progress window could be made\n");
        return 2;
    }
    ProgressSink* sink = frame ? static_cast<ProgressSink*>(frame) : &console;
    sink->SetTitle("Downloading latest Quorvalent update...");
    sink->Show();
    Download download = {argv[1], uint32_t(std::strtoul(argv[2], nullptr, 10)), sink, 0};
    double start = Seconds();
    HANDLE worker = CreateThread(nullptr, 0, RunDownload, &download, 0, nullptr);
    if (!worker)
        return 2;
    PumpUntilDone(worker);
    double end = Seconds();
    CloseHandle(worker);
    // The reports still queued are part of the cost: apply them too.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    double drained = Seconds();
    delete frame;
    std::printf("result: %d\n", download.result);
    std::printf("seconds download: %.6f with queue: %.6f\n", end - start, drained - start);
    WSACleanup();
    return download.result == 0 ? 0 : 1;
}
