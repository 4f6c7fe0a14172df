// The installer program answering its No Response dialog, driven from this
// test as a person would click: the program runs with windows in this test's
// own Wine prefix, so its dialogs are found by caption and sent messages.
#include "tests/support/gtest.h"

#include "base/folders.h"
#include "net/proxy_settings.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/wine_probe.h"

namespace {

const int kProxiesButton = 3;
const int kSocksPortEdit = 1071;

// The program's visible dialog with the caption; null when the run ended or
// a minute passed first.
HWND WaitForDialog(const char* caption, const std::atomic<bool>& ended)
{
    for (int i = 0; i < 1200 && !ended; ++i) {
        HWND window = FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), caption);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(50);
    }
    return nullptr;
}

// Posted, not sent: the Proxies button runs a dialog of its own before the
// handler returns.
void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

}  // namespace

TEST(NoResponseRun, ExitEndsTheProgramAndProxiesThenConnectTriesAgainThroughTheNewProxy)
{
    UpdateSite site(EmbeddedPackage(), 1);
    LinuxPeer socks("microsocks", "127.0.0.30", 1080, {"user", "secret"});
    ASSERT_TRUE(site.Ready() && socks.Ready());
    // A SOCKS 5 proxy on a port where none listens: every attempt fails.
    UseNoProxy();
    UseSocksProxy(5, "socks.quorvalent.test", 1081, "user", "secret");
    ProxySettings::Instance().Save();

    // Exit ends the process at once: no further attempt, nothing installed.
    bool asked = false;
    SetupResult exited = RunSetup("/silent", [&](const std::atomic<bool>& ended) {
        HWND dialog = WaitForDialog("No Response From Quorvalent Server", ended);
        asked = dialog != nullptr;
        Press(dialog, IDCANCEL);
    });
    EXPECT_TRUE(asked) << exited.output;
    EXPECT_EQ(exited.exitCode, 0) << exited.output;
    EXPECT_FALSE(FileExists((InstallFolder() + "\\Quorvalent.exe").c_str()));

    std::string portShown;
    bool stayed = false;
    SetupResult connected = RunSetup("/silent", [&](const std::atomic<bool>& ended) {
        HWND dialog = WaitForDialog("No Response From Quorvalent Server", ended);
        Press(dialog, kProxiesButton);
        HWND proxies = WaitForDialog("Proxy Settings", ended);
        // GetWindowText does not read the controls of another process.
        char port[16] = "";
        SendMessageA(GetDlgItem(proxies, kSocksPortEdit), WM_GETTEXT, sizeof port,
                     reinterpret_cast<LPARAM>(port));
        portShown = port;
        SendMessageA(GetDlgItem(proxies, kSocksPortEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1080"));
        Press(proxies, IDOK);
        for (int i = 0; i < 200 && IsWindow(proxies); ++i) Sleep(50);
        stayed = !IsWindow(proxies) && IsWindowVisible(dialog);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(portShown, "1081");
    EXPECT_TRUE(stayed) << "the No Response dialog stays after Proxy Settings";
    EXPECT_EQ(connected.exitCode, 0) << connected.output;
    ProxySettings stored;
    stored.Load();
    EXPECT_EQ(stored.SocksPort(), 1080);
    EXPECT_EQ(InstallationLacks(), "") << connected.output;
}
