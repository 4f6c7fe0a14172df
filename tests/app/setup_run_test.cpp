// The installer program run whole, as another installer or a person starts
// it, in this test's own Wine prefix and network namespace, against the
// reference update service, nginx and real proxies on the hosts of
// support/net-hosts. Only NoResponse runs with a display (the null driver).
#include "tests/support/gtest.h"

#include "app/registry_keys.h"
#include "app/single_instance.h"
#include "base/folders.h"
#include "net/proxy_settings.h"
#include "package/download_state.h"
#include "tests/support/link_recorder.h"
#include "tests/support/linux_peer.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/wine_probe.h"
#include "ui/link.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <memory>
#include <sstream>
#include <thread>

namespace {

std::string EmbeddedPackage()
{
    return ReadWholeFile(WindowsPath(BuildDir()) + "\\resources\\embedded.pkg").bytes;
}

// A sanitized installer hands its preload to the programs it starts, and the
// plain Windows stand-in cannot start with it: no launch is seen then.
bool LaunchesVisible() { return Environment("QV_PRELOAD").empty(); }

// Runs the installer with the options, as another program starts it, while
// the person in front of it acts on the test thread until `ended`. Without a
// display every question is answered in the console.
HostRun RunSetup(const std::string& options,
                 const std::function<void(const std::atomic<bool>& ended)>& person = {})
{
    // Started from this Wine process, the installer may print its console
    // alerts on this process's stderr rather than on the shell's.
    StderrCapture alerts;
    std::atomic<bool> ended(false);
    HostRun run = {-1, std::string()};
    std::thread runner([&] {  // a host thread: it calls only the C library, never Wine
        run = RunHost(BuiltProgram("quorvalent-setup.exe") + " " + options, 90, true);
        ended = true;
    });
    if (person)
        person(ended);
    runner.join();
    return {run.exitCode, run.output + alerts.Text()};
}

// "exit N | <the expected part of what the run printed, or all of it> | <the
// installation>", as tests/data/setup/runs.txt describes it. The starts that
// the expected installation names are waited for, and taken as seen where
// launches cannot be seen.
std::string Outcome(const HostRun& run, const std::string& printed, const std::string& expected)
{
    const std::string program = InstallFolder() + "\\Quorvalent.exe",
                      package = EmbeddedPackage() + std::string(8, '\0');
    const RegistryValue name = ReadRegistryValue(kUninstallKey, "DisplayName"),
                        executable = ReadRegistryValue(kProductKey, "ExecutablePath"),
                        bundle = ReadRegistryValue(kProductKey, "Bundle");
    const bool whole = ReadRegistryValue(kUninstallKey, "DisplayIcon").Text() == program &&
                       executable.Text() == program &&
                       ReadRegistryValue(kUninstallKey, "EstimatedSize").Number() ==
                           LoadBigEndian32(reinterpret_cast<const uint8_t*>(package.data()) + 4);
    const std::string links = Shortcuts(program), standin = ReadWholeFile(StandinExe()).bytes;
    const size_t starts = Occurrences(expected, "started");
    char state[kFolderPathSize];
    std::string said = !FileExists(program.c_str())              ? ""
                       : ReadWholeFile(program).bytes == standin ? ", program"
                                                                 : ", another program";
    if (FileExists((InstallFolder() + "\\Quorvalent.new.exe").c_str()))
        said += ", Quorvalent.new.exe";
    if (name.found || executable.found)
        said += ", registered" + (name.Text() == "Quorvalent" ? "" : " as " + name.Text()) +
                (whole ? "" : " in part");
    said += (bundle.found ? ", bundle " + std::to_string(bundle.Number()) : "") +
            (links.empty() ? "" : ", " + links);
    if (GetDownloadStatePath(state) && FileExists(state))
        said += ", download kept";
    for (size_t i = 0; i < starts && !LaunchesVisible(); ++i) said += ", started";
    const std::string started =
        LaunchesVisible() && FileExists(program.c_str()) ? RecordedStarts(InstallFolder(), starts) : "";
    said += started.empty() ? "" : ", " + started;
    return "exit " + std::to_string(run.exitCode) + " | " +
           (Contains(run.output, printed) ? printed : run.output) + " | " +
           (said.empty() ? "nothing" : said.substr(2));
}

// nginx serving the embedded package as http://files.quorvalent.test/q.pkg
// from the address, and the reference update service with the options.
struct UpdateSite {
    UpdateSite(std::vector<std::string> options, const char* webAddress = "127.0.0.10")
        : web("nginx", webAddress, 80),
          service("service", "127.0.0.40", 16000,
                  (options.insert(options.begin(), {BuildDir() + "/quorvalent-service", "--package-url",
                                                    "http://files.quorvalent.test/q.pkg"}),
                   options)),
          stored(WriteUnixFile(web.Folder() + "/www/q.pkg", EmbeddedPackage()))
    {
    }
    bool Ready() const { return web.Ready() && service.Ready() && stored; }
    LinuxPeer web, service;
    bool stored;
};

// What a row arranged; the next row's arrangement undoes it.
struct Arranged {
    std::shared_ptr<void> claim;
    std::unique_ptr<UpdateSite> site;
    std::unique_ptr<ScriptedPeer> relay;
};

// Sets up what a row's first cell names (the data files list the words);
// false when that fails.
bool Arrange(const std::string& step, Arranged* held)
{
    std::istringstream line(step);
    std::vector<std::string> w;
    for (std::string word; line >> word;) w.push_back(word);
    const std::vector<std::string> rest(w.begin() + (w.empty() ? 0 : 1), w.end());
    w.resize(std::max<size_t>(w.size(), 6));
    const bool keep = w[0] == "keep" || w[0] == "marked";
    const std::string install = ShellQuoted(UnixPath(InstallFolder()));
    *held = Arranged();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version");
    RunHost("umount " + install + (keep ? "" : "; rm -rf " + install));  // a mount namespace of its own
    for (const char* key : {kUninstallKey, kArpCacheKey, kProductKey})
        if (!keep)
            SHDeleteKeyA(HKEY_CURRENT_USER, key);
    if (w[0] != "keep")
        Shortcuts(InstallFolder() + "\\Quorvalent.exe", true);
    UseNoProxy();
    if (w[0] == "http")
        UseHttpProxy(w[1].c_str(), uint16_t(atoi(w[2].c_str())), w[3].c_str(), w[4].c_str());
    if (w[0] == "socks")
        UseSocksProxy(uint8_t(atoi(w[1].c_str())), w[2].c_str(), uint16_t(atoi(w[3].c_str())), w[4].c_str(),
                      w[5].c_str());
    ProxySettings::Instance().Save();
    if (w[0] == "running")
        held->claim.reset(CreateMutexA(nullptr, FALSE, kSingleInstanceMutexName), CloseHandle);
    if (w[0] == "windows")  // the version Wine tells the programs it starts
        return WriteRegistryValue("Software\\Wine", "Version", REG_SZ, w[1] + '\0');
    if (w[0] == "mount")
        return RunHost("mkdir -p " + install + " && mount -t tmpfs -o " + w[1] + " qv " + install).exitCode ==
               0;
    if (w[0] == "service")
        return (held->site.reset(new UpdateSite(rest)), held->site->Ready());
    if (w[0] == "marked")
        return WriteRegistryValue(kUninstallKey, "DisplayName", REG_SZ, std::string("marked") + '\0');
    if (w[0] == "direct" || w[0] == "http" || w[0] == "socks" || w[0] == "cut") {
        uint32_t first = w[0] == "cut" ? atoi(w[1].c_str()) : ~0u,
                 second = w[0] == "cut" ? atoi(w[2].c_str()) : ~0u;
        held->relay.reset(new ScriptedPeer(
            "127.0.0.10", 80, {{Relay("127.0.0.11", 80, first)}, {Relay("127.0.0.11", 80, second)}}));
        return held->relay->Listening();
    }
    return held->claim || w[0] == "keep" || w[0] == "twice";
}

// Each row of the table (arranged | options | printed | installation | page
// opened) run in order: its outcome as stated and as seen; then the pages.
std::vector<std::pair<std::string, std::string>> RunRows(const std::string& table)
{
    const std::string record = InstallLinkRecorder();
    setenv("TZ", "EST5", 1);
    SHCreateDirectoryExA(nullptr, QuickLaunchFolder().c_str(), nullptr);
    std::vector<std::pair<std::string, std::string>> outcomes;
    std::string pages;
    Arranged held;
    for (const std::vector<std::string>& row : ReadCases(table, 5)) {
        const std::string label = row[0] + " | " + row[1] + " -> ";
        // Two sanitized installers started at once in one prefix sometimes
        // hang in Wine's start-up, before any code of ours runs.
        const bool twice = row[0] == "twice";
        if (twice && !LaunchesVisible())
            continue;
        if (!Arrange(row[0], &held)) {
            outcomes.push_back({label + "arranged", label + "not arranged"});
            continue;
        }
        HostRun second = {0, ""};  // another installer started at the same moment
        const HostRun run = RunSetup(row[1], [&](const std::atomic<bool>&) {
            second = twice ? RunHost(BuiltProgram("quorvalent-setup.exe") + " " + row[1], 90, true) : second;
        });
        outcomes.push_back({label + "exit 0 | " + row[2] + " | " + row[3],
                            label + Outcome(run, row[2], row[3]) +
                                (second.exitCode || Contains(run.output + second.output, "Unable")
                                     ? " | alongside: " + second.output
                                     : "")});
        pages += row[4].empty() ? "" : row[4] + "\n";
    }
    // A link of our own opened last: once it is recorded, every page
    // opened before it is too.
    if (LaunchesVisible() && !outcomes.empty()) {
        OpenLink("http://marker.quorvalent.example/");
        pages += "http://marker.quorvalent.example/\n";
        outcomes.push_back(
            {"pages: " + pages, "pages: " + WaitForLinks(record, int(Occurrences(pages, "\n")))});
    }
    return outcomes;
}

// The program's visible dialog with the caption; null when the run ended or
// a minute passed first.
HWND WaitForDialog(const char* caption, const std::atomic<bool>& ended)
{
    for (int i = 0; i < 1200 && !ended; ++i, Sleep(50)) {
        HWND window = FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), caption);
        if (window && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

// Posted, not sent: the Proxies button runs a dialog of its own before the
// handler returns.
void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

}  // namespace

TEST(SetupRun, RefusedRunsInstallNothingAndOemRunsLaunchNothing)
{
    const auto outcomes = RunRows("setup/runs.txt");
    ASSERT_FALSE(outcomes.empty());
    for (const auto& outcome : outcomes) EXPECT_EQ(outcome.second, outcome.first);
}

// The package's host is a relay in front of nginx, which may cut the answer.
TEST(SetupRun, EachRouteInstallsAndACutDownloadResumes)
{
    WinsockSession winsock;
    UpdateSite site({"--package-number", "1"}, "127.0.0.11");
    LinuxPeer tinyproxy("tinyproxy", "127.0.0.20", 3128, {"user", "secret"});
    LinuxPeer microsocks("microsocks", "127.0.0.30", 1080, {"user", "secret"});
    // danted checks that its address is one of an interface's, which only
    // the loopback's first address is.
    LinuxPeer danted("danted", "127.0.0.1", 1080);
    ASSERT_TRUE(site.Ready() && tinyproxy.Ready() && microsocks.Ready() && danted.Ready());
    const auto outcomes = RunRows("setup/routes.txt");
    ASSERT_FALSE(outcomes.empty());
    for (const auto& outcome : outcomes) EXPECT_EQ(outcome.second, outcome.first);
}

// Clicked as a person would: Exit ends the program at once; Proxies, a
// corrected port and Connect install through that proxy, the progress window
// (not the console) showing the download.
TEST(SetupRun, NoResponseExitEndsAndProxiesThenConnectTriesTheNewProxy)
{
    const int kProxiesButton = 3, kSocksPortEdit = 1071;
    UpdateSite site({"--package-number", "1"});
    LinuxPeer socks("microsocks", "127.0.0.30", 1080, {"user", "secret"});
    ASSERT_TRUE(site.Ready() && socks.Ready());
    UseSocksProxy(5, "socks.quorvalent.test", 1081, "user", "secret");  // no one listens there
    ProxySettings::Instance().Save();
    std::string seen;
    HostRun exited = RunSetup("/silent", [&](const std::atomic<bool>& ended) {
        HWND dialog = WaitForDialog("No Response From Quorvalent Server", ended);
        seen = dialog ? "asked, " : "not asked, ";
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(seen + Outcome(exited, "", "nothing"), "asked, exit 0 |  | nothing");
    HostRun connected = RunSetup("/silent", [&](const std::atomic<bool>& ended) {
        HWND dialog = WaitForDialog("No Response From Quorvalent Server", ended);
        Press(dialog, kProxiesButton);
        HWND proxies = WaitForDialog("Proxy Settings", ended), edit = GetDlgItem(proxies, kSocksPortEdit);
        char port[16] = "";  // GetWindowText does not read the controls of another process
        SendMessageA(edit, WM_GETTEXT, sizeof port, reinterpret_cast<LPARAM>(port));
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1080"));
        Press(proxies, IDOK);
        for (int i = 0; i < 200 && IsWindow(proxies); ++i) Sleep(50);
        seen = "port " + std::string(port) +
               (!IsWindow(proxies) && IsWindowVisible(dialog) ? ", stayed, " : ", ");
        Press(dialog, IDOK);
    });
    ProxySettings stored;
    stored.Load();
    EXPECT_EQ(seen + "stored " + std::to_string(stored.SocksPort()) +
                  (Contains(connected.output, "Downloading") ? ", printed" : "") + ", " +
                  Outcome(connected, "", "started"),
              "port 1081, stayed, stored 1080, exit 0 |  | program, registered, links programs desktop "
              "startup, started");
}
