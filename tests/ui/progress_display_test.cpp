#include "tests/support/gtest.h"

#include "tests/support/host_command.h"
#include "ui/progress_frame.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

// Pumps the window's messages for `ms` milliseconds, so that it paints.
void PumpFor(DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Runs `reports` on a worker thread while the window's thread pumps.
void FromWorker(const std::function<void()>& reports)
{
    struct Call {
        static DWORD WINAPI Run(LPVOID parameter)
        {
            (*static_cast<const std::function<void()>*>(parameter))();
            return 0;
        }
    };
    HANDLE thread = CreateThread(nullptr, 0, Call::Run, const_cast<std::function<void()>*>(&reports), 0, nullptr);
    if (!thread)
        return;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        PumpFor(0);
    CloseHandle(thread);
}

bool Photograph(const char* stage)
{
    std::string path = Environment("QV_SHOT_DIR") + "/progress-" + stage + ".png";
    std::string output;
    int code = RunHost("env -u LD_PRELOAD import -window root " + Quoted(path), &output);
    std::printf("%s: %s %s\n", stage, code == 0 ? "photographed" : "failed", output.c_str());
    return code == 0;
}

}  // namespace

// Started by ProgressOnDisplay below on an X display of its own; never by itself.
TEST(ProgressChild, DISABLED_PhotographsEachStage)
{
    CProgressFrame frame;
    ASSERT_TRUE(frame.HasWindow());
    frame.SetTitle("Downloading latest Quorvalent update...");
    frame.Show();
    const uint32_t total = 6543210;
    struct Stage {
        const char* name;
        std::function<void(ProgressSink&)> reports;
    };
    const Stage stages[] = {
        {"connected", [](ProgressSink& s) { s.SetStatusText("Connected...", 0); }},
        {"downloading-40",
         [&](ProgressSink& s) {
             s.SetStatusText("Downloading new update...", 1);
             for (uint32_t done = 0; done <= total * 2 / 5; done += 65536)
                 s.SetProgress(done, total, 1);
         }},
        {"downloading-80",
         [&](ProgressSink& s) {
             for (uint32_t done = total * 2 / 5; done <= total * 4 / 5; done += 65536)
                 s.SetProgress(done, total, 1);
         }},
        {"decompressing",
         [](ProgressSink& s) {
             s.SetProgress(total, total, 1);
             s.SetStatusText("Decompressing update...", 1);
             s.SetProgress(0, 0, 1);
         }},
        {"installing",
         [](ProgressSink& s) {
             s.SetStatusText("Installing update...", 1);
             s.SetProgress(0, 0, 1);
         }},
    };
    for (const Stage& stage : stages) {
        FromWorker([&] { stage.reports(frame); });
        PumpFor(700);
        EXPECT_TRUE(Photograph(stage.name)) << stage.name;
    }
}

TEST(ProgressOnDisplay, EachStageOfAnUpdateAppearsInARealWindow)
{
    if (!HostHas("Xvfb") || !HostHas("import"))
        GTEST_SKIP() << "needs xvfb and imagemagick";
    std::string output;
    int code = RunHost(Quoted(Environment("QV_SOURCE_DIR") + "/tests/support/xvfb-progress") + " " +
                           Quoted(Environment("QV_BUILD_DIR") + "/artifacts"),
                       &output);
    EXPECT_EQ(code, 0) << output;
}
