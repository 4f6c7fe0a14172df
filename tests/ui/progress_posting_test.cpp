#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "package/download_state.h"
#include "package/package_job.h"
#include "tests/support/package_builder.h"
#include "tests/support/http_test_support.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"
#include "base/progress_sink.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

// The update worker's pattern under load: a download on a worker thread
// reports through a sink that posts its reports to a window on this thread,
// the worker may stop for a modal alert of its own, and this thread answers
// that alert while it dispatches the reports. Every round, the window must
// have applied exactly the reports made, in their order, before the worker's
// end message arrives.
namespace {

const UINT kStatusMessage = WM_APP + 10;
const UINT kProgressMessage = WM_APP + 11;
const UINT kWorkerDone = WM_APP + 99;
const char kUrl[] = "http://files.quorvalent.test/q.pkg";
const uint32_t kNumber = 4;
const int kRounds = 60;

std::vector<std::string> g_applied;  // window thread only

std::string ProgressText(uint32_t done, uint32_t total, int32_t flag)
{
    return std::to_string(done) + "/" + std::to_string(total) + " " + std::to_string(flag);
}

struct Progress {
    uint32_t done, total;
    int32_t flag;
};

LRESULT CALLBACK ReportWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kStatusMessage) {
        char* text = reinterpret_cast<char*>(lParam);
        g_applied.push_back(std::string("status ") + text + " " + std::to_string(int(wParam)));
        delete[] text;
        return 0;
    }
    if (message == kProgressMessage) {
        Progress* p = reinterpret_cast<Progress*>(lParam);
        g_applied.push_back(ProgressText(p->done, p->total, p->flag));
        delete p;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Posts each report, copied, to the window; records what it posted (worker
// thread only, read after the worker ended).
class PostingSink : public ProgressSink {
public:
    explicit PostingSink(HWND window) : window(window) {}
    void Show() override {}
    void GetTitle(char* buffer) override { buffer[0] = '\0'; }
    void SetTitle(const char*) override {}
    void GetStatusText(char* buffer) override { buffer[0] = '\0'; }
    void SetStatusText(const char* text, int32_t flag) override
    {
        std::string copy = text ? text : "";
        char* posted = new char[copy.size() + 1];
        std::memcpy(posted, copy.c_str(), copy.size() + 1);
        posted_.push_back("status " + copy + " " + std::to_string(flag));
        PostMessageA(window, kStatusMessage, WPARAM(flag), reinterpret_cast<LPARAM>(posted));
    }
    void SetProgress(uint32_t done, uint32_t total, int32_t flag) override
    {
        posted_.push_back(ProgressText(done, total, flag));
        PostMessageA(window, kProgressMessage, 0, reinterpret_cast<LPARAM>(new Progress{done, total, flag}));
    }
    void Update() override {}
    std::vector<std::string> posted_;

private:
    HWND window;
};

struct Round {
    PostingSink* sink;
    DWORD windowThread;
};

DWORD WINAPI DownloadOnWorker(void* parameter)
{
    Round* round = static_cast<Round*>(parameter);
    {
        PackageJob job(round->sink);
        try {
            job.DownloadPackage(kUrl, kNumber);
        } catch (ErrorCode) {
        }
    }
    PostThreadMessageA(round->windowThread, kWorkerDone, 0, 0);
    return 0;
}

HWND MakeReportWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ReportWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QvReportWindow";
    RegisterClassA(&windowClass);
    return CreateWindowA("QvReportWindow", "reports", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

}  // namespace

TEST(ProgressPosting, ReportsArriveWholeAndInOrderWhileTheWorkerRaisesAlerts)
{
    WinsockSession winsock;
    UseNoProxy();
    using namespace testing_package;
    std::vector<uint8_t> bytes = StoredPackage(
        ArchiveBuilder().File("data.bin", PatternBytes(300000, 9)).File("Quorvalent.new.exe", "new", 1).End(), kNumber);
    const std::string package(bytes.begin(), bytes.end());
    HWND window = MakeReportWindow();
    ASSERT_NE(window, nullptr);
    std::mt19937 random(20261207);
    int alerts = 0;
    for (int round = 0; round < kRounds; ++round) {
        DeleteDownloadState();
        // A third of the rounds end before the package header: the worker
        // then shows its alert, which this thread closes.
        size_t cut = round % 3 == 0 ? 40 + random() % 40 : package.size() / 2 + random() % (package.size() / 2);
        std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(package.size()) + "\r\n\r\n" + package;
        ScriptedPeer server("127.0.0.10", 80, {{ReceiveHeaders(), Send(answer.substr(0, cut))}});
        PostingSink sink(window);
        Round work = {&sink, GetCurrentThreadId()};
        g_applied.clear();
        HANDLE worker = CreateThread(nullptr, 0, DownloadOnWorker, &work, 0, nullptr);
        ASSERT_NE(worker, nullptr);
        bool done = false;
        for (DWORD start = GetTickCount(); !done && GetTickCount() - start < 30000;) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.hwnd == nullptr && message.message == kWorkerDone)
                    done = true;
                else
                    DispatchMessageA(&message);
            }
            if (HWND alert = FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), "Download Not Completed")) {
                PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                ++alerts;
                Sleep(20);
            }
            if (!done)
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        ASSERT_TRUE(done) << "round " << round;
        WaitForSingleObject(worker, 10000);
        CloseHandle(worker);
        server.Finish();
        ASSERT_EQ(g_applied, sink.posted_) << "round " << round;
        ASSERT_GE(g_applied.size(), 1u) << "round " << round;
    }
    std::printf("%d rounds, %d alerts answered on the window thread\n", kRounds, alerts);
    EXPECT_GT(alerts, 0);
    DestroyWindow(window);
}
