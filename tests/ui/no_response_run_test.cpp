// The installer program answering its No Response dialog, driven from this
// test as a person would click: the program runs with windows in this test's
// own Wine prefix, so its dialogs are found by caption and sent messages.
#include "tests/support/gtest.h"

#include "net/proxy_settings.h"
#include "tests/app/installation_probe.h"
#include "tests/support/linux_peer.h"
#include "tests/support/process.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/window_script.h"

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

const char kNoResponse[] = "No Response From Quorvalent Server";
const char kProxies[] = "Proxy Settings";

// The installer running on a host thread (which calls only the C library).
class SetupRun {
public:
    SetupRun() : ended_(false), code_(-1)
    {
        thread_ = std::thread([this] {
            code_ = RunBuiltProgram("quorvalent-setup.exe", "/silent", &output_);
            ended_ = true;
        });
    }
    ~SetupRun() { Wait(); }
    int Wait()
    {
        if (thread_.joinable())
            thread_.join();
        return code_;
    }
    bool Ended() const { return ended_; }
    const std::string& Output() const { return output_; }

private:
    std::atomic<bool> ended_;
    int code_;
    std::string output_;
    std::thread thread_;
};

// The program's visible dialog with the caption, waited for up to 60 s.
HWND WaitForDialog(const char* caption, const SetupRun& run)
{
    for (int i = 0; i < 1200 && !run.Ended(); ++i) {
        HWND window = FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), caption);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(50);
    }
    return nullptr;
}

// GetWindowText does not read the controls of another process; WM_GETTEXT does.
std::string ControlText(HWND dialog, int id)
{
    char text[256] = "";
    SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::string InstallFolder() { return probe::SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent"; }

}  // namespace

TEST(NoResponseRun, ExitEndsTheProgramAtOnceWithCodeZero)
{
    // Nothing listens where the update service should be.
    SetupRun run;
    HWND dialog = WaitForDialog(kNoResponse, run);
    ASSERT_NE(dialog, nullptr) << run.Output();
    DWORD pressed = GetTickCount();
    Press(dialog, IDCANCEL);
    EXPECT_EQ(run.Wait(), 0) << run.Output();
    EXPECT_LT(GetTickCount() - pressed, 20000u) << "Exit did not end the program at once";
    EXPECT_FALSE(probe::FileExists(InstallFolder() + "\\Quorvalent.exe"));
}

TEST(NoResponseRun, ProxiesThenConnectTriesAgainThroughTheNewProxy)
{
    LinuxPeer web("nginx", "127.0.0.10", 80);
    LinuxPeer service("service", "127.0.0.40", 16000,
                      {BuildPath("quorvalent-service"), "--package-url", "http://files.quorvalent.test/q.pkg",
                       "--package-number", "1"});
    LinuxPeer socks("microsocks", "127.0.0.30", 1080, {"user", "secret"});
    ASSERT_TRUE(web.Ready() && service.Ready() && socks.Ready());
    std::string package = probe::ReadAndClose(
        OpenStdioFile((probe::WindowsPath("QV_BUILD_DIR") + "\\resources\\embedded.pkg").c_str(), "rb"));
    ASSERT_TRUE(WriteUnixFile(web.Folder() + "/www/q.pkg", package));
    // A SOCKS 5 proxy on a port where none listens: the first attempt fails.
    UseNoProxy();
    UseSocksProxy(5, "socks.quorvalent.test", 1081, "user", "secret");
    ProxySettings::Instance().Save();

    SetupRun run;
    HWND dialog = WaitForDialog(kNoResponse, run);
    ASSERT_NE(dialog, nullptr) << run.Output();
    Press(dialog, 3);
    HWND proxies = WaitForDialog(kProxies, run);
    ASSERT_NE(proxies, nullptr) << run.Output();
    EXPECT_EQ(ControlText(proxies, 1071), "1081");
    SendMessageA(GetDlgItem(proxies, 1071), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1080"));
    Press(proxies, IDOK);
    for (int i = 0; i < 200 && IsWindow(proxies); ++i)
        Sleep(50);
    EXPECT_FALSE(IsWindow(proxies));
    ASSERT_TRUE(IsWindowVisible(dialog)) << "the No Response dialog stays after Proxy Settings";
    Press(dialog, IDOK);
    EXPECT_EQ(run.Wait(), 0) << run.Output();

    ProxySettings stored;
    stored.Load();
    EXPECT_TRUE(stored.SocksEnabled());
    EXPECT_EQ(stored.SocksPort(), 1080);
    EXPECT_EQ(probe::ReadAndClose(OpenStdioFile((InstallFolder() + "\\Quorvalent.exe").c_str(), "rb")),
              probe::ReadAndClose(OpenStdioFile(probe::StandinExe().c_str(), "rb")));
    // The sanitizer's preload keeps the plain Windows stand-in from starting.
    if (!std::getenv("QV_PRELOAD")) {
        EXPECT_EQ(probe::WaitForStarts(InstallFolder(), 1).size(), 1u);
    }
}
