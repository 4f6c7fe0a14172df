// The gallery's child program: shows the installer's windows as a person
// sees them, for acceptance/run to photograph and answer with keys.
//   quorvalent-gallery alert TITLE TEXT   one alert; prints "alert returned"
//   quorvalent-gallery dialogs            the Install, Already Installed and
//                                         No Response dialogs and an alert,
//                                         printing each result
//   quorvalent-gallery progress FOLDER    the progress window through each
//                                         stage of an update, photographed
//                                         into FOLDER/progress-<stage>.png
//   quorvalent-gallery frame SECONDS      the progress window, busy, for that
//                                         long; prints its size before and after
//                                         ("frame: WxH to WxH") as it sees it
#include "base/alert.h"
#include "ui/install_dialog.h"
#include "ui/installed_dialog.h"
#include "ui/no_response_dialog.h"
#include "ui/progress_frame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

void PumpFor(DWORD ms)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

DWORD WINAPI RunReports(void* reports)
{
    (*static_cast<std::function<void()>*>(reports))();
    return 0;
}

// Reports from a worker thread, as the update worker makes them, while this
// thread runs the window.
void FromWorker(std::function<void()> reports)
{
    HANDLE thread = CreateThread(nullptr, 0, RunReports, &reports, 0, nullptr);
    while (thread && MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        PumpFor(0);
    if (thread)
        CloseHandle(thread);
}

int ShowProgressStages(const std::string& folder)
{
    CProgressFrame frame;
    if (!frame.HasWindow())
        return 1;
    frame.SetTitle("Downloading latest Quorvalent update...");
    frame.Show();
    const uint32_t total = 6543210;
    auto measure = [&](uint32_t from, uint32_t to) {
        for (uint32_t done = from; done <= to; done += 65536) frame.SetProgress(done, total, 1);
    };
    const struct {
        const char* name;
        std::function<void()> reports;
    } stages[] = {
        {"connected", [&] { frame.SetStatusText("Connected...", 0); }},
        {"downloading-40",
         [&] {
             frame.SetStatusText("Downloading new update...", 1);
             measure(0, total * 2 / 5);
         }},
        {"downloading-80", [&] { measure(total * 2 / 5, total * 4 / 5); }},
        {"decompressing",
         [&] {
             frame.SetProgress(total, total, 1);
             frame.SetStatusText("Decompressing update...", 1);
             frame.SetProgress(0, 0, 1);
         }},
        {"installing",
         [&] {
             frame.SetStatusText("Installing update...", 1);
             frame.SetProgress(0, 0, 1);
         }},
    };
    int failed = 0;
    for (const auto& stage : stages) {
        FromWorker(stage.reports);
        PumpFor(700);
        std::string shot = folder + "/progress-" + stage.name + ".png";
        std::string command =
            "import -window \"$(xdotool search --onlyvisible --name '^Downloading latest')\" '" + shot + "'";
        bool taken = std::system(command.c_str()) == 0;
        std::printf("%s: %s\n", stage.name, taken ? shot.c_str() : "not photographed");
        failed += !taken;
    }
    return failed ? 1 : 0;
}

int HoldFrame(DWORD seconds)
{
    CProgressFrame frame;
    if (!frame.HasWindow())
        return 1;
    frame.SetTitle("Quorvalent Frame");
    frame.SetStatusText("Connected...", 0);
    frame.Show();
    RECT first = {}, last = {};
    GetWindowRect(frame.m_hWnd, &first);
    PumpFor(seconds * 1000);
    GetWindowRect(frame.m_hWnd, &last);
    std::printf("frame: %ldx%ld to %ldx%ld\n", long(first.right - first.left), long(first.bottom - first.top),
                long(last.right - last.left), long(last.bottom - last.top));
    return 0;
}

int RunDialogs()
{
    CInstallDialog install;
    install.desktopIcon = install.quickLaunchIcon = install.startWithWindows = 1;
    std::printf("install: %d\n", install.DoModal());
    CInstalledDialog installed;
    std::printf("installed: %d\n", installed.DoModal());
    CNoResponseDialog noResponse;
    std::printf("no response: %d\n", noResponse.DoModal());
    ShowAlert("Unable to Open URL", "Quorvalent was unable to open the URL.");
    std::printf("alert returned\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::string what = argc > 1 ? argv[1] : "";
    if (what == "alert" && argc == 4) {
        ShowAlert(argv[2], argv[3]);
        std::printf("alert returned\n");
        return 0;
    }
    if (what == "dialogs")
        return RunDialogs();
    if (what == "progress" && argc == 3)
        return ShowProgressStages(argv[2]);
    if (what == "frame" && argc == 3)
        return HoldFrame(static_cast<DWORD>(std::atoi(argv[2])));
    std::fprintf(stderr,
                 "usage: quorvalent-gallery alert TITLE TEXT | dialogs | progress FOLDER | frame SECONDS\n");
    return 2;
}
