// The installer program run whole, as another installer starts it, in this
// test's own Wine prefix and network namespace, where no dialog can be shown,
// against the reference update service, nginx and real proxies on the hosts
// of support/net-hosts.
#include "tests/support/gtest.h"

#include "app/registry_keys.h"
#include "app/single_instance.h"
#include "base/folders.h"
#include "net/proxy_settings.h"
#include "package/download_state.h"
#include "tests/support/data_rows.h"
#include "tests/support/http_test_support.h"
#include "tests/support/link_recorder.h"
#include "tests/support/linux_peer.h"
#include "tests/support/package_builder.h"
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

std::string Embedded()
{
    return ReadWholeFile(WindowsPath(ProductDir()) + "\\resources\\embedded.pkg").bytes;
}

// A sanitized installer hands its preload to the programs it starts, and the
// plain Windows stand-in cannot start with it: no launch is seen then.
bool LaunchesVisible() { return Environment("QV_PRELOAD").empty(); }

const std::string& LargeData()
{
    static const std::string data = PatternBytes(14 << 20, 7);
    return data;
}

// Package 1 of the stand-in and 14 MiB of data, stored: several marks of the
// growing state file long.
const std::string& LargePackage()
{
    using namespace testing_package;
    static const std::string package =
        Text(StoredPackage(ArchiveBuilder()
                               .File("Quorvalent.new.exe", ReadWholeFile(StandinExe()).bytes, 1)
                               .File("data.bin", LargeData())
                               .End()));
    return package;
}

// The package's host on port 80 in front of the server at target: it passes
// accepted connection number i on, both ways, until either side closes or
// cuts[i] bytes of the answer have reached the installer, as a failing
// network would; on a thread of its own.
class CuttingRelay {
public:
    CuttingRelay(const char* target, std::vector<uint32_t> cuts)
        : cuts(std::move(cuts)), listener(BoundSocket("127.0.0.10", 80))
    {
        server.sin_addr.s_addr = inet_addr(target);
        thread = listener == INVALID_SOCKET ? nullptr : CreateThread(nullptr, 0, Serve, this, 0, nullptr);
    }
    ~CuttingRelay()
    {
        Stop();
        closesocket(listener);
    }
    bool Listening() const { return thread != nullptr; }
    // Ends the relay, even in the middle of a connection.
    void Stop()
    {
        stop = 1;
        if (thread && WaitForSingleObject(thread, INFINITE) == WAIT_OBJECT_0)
            CloseHandle(thread);
        thread = nullptr;
    }

    std::string received;  // what the installer sent, connection after connection; read once stopped

private:
    static DWORD WINAPI Serve(void* relay)
    {
        static_cast<CuttingRelay*>(relay)->ServeAll();
        return 0;
    }
    void ServeAll()
    {
        for (size_t served = 0; served < cuts.size() && !stop;) {
            if (!Readable(listener, listener))
                continue;
            SOCKET client = accept(listener, nullptr, nullptr), to = socket(AF_INET, SOCK_STREAM, 0);
            const uint32_t cut = cuts[served++];
            uint32_t answered = 0;
            bool open = connect(to, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0;
            while (open && !stop && answered < cut) {
                const int readable = Readable(client, to);
                for (SOCKET from : {client, to}) {
                    char bytes[4096];
                    uint32_t room =
                        from == to && cut - answered < sizeof bytes ? cut - answered : sizeof bytes;
                    int got =
                        open && (readable & (from == client ? 1 : 2)) ? recv(from, bytes, int(room), 0) : -2;
                    if (got > 0 && from == client)
                        received.append(bytes, got);
                    if (got != -2)
                        open = got > 0 && send(from == to ? client : to, bytes, got, 0) == got;
                    answered += from == to && got > 0 ? uint32_t(got) : 0;
                }
            }
            closesocket(to);
            closesocket(client);
        }
    }

    const std::vector<uint32_t> cuts;
    sockaddr_in server = {AF_INET, htons(80), {}, {}};
    SOCKET listener;
    HANDLE thread;
    volatile LONG stop = 0;
};

// What a row arranged; the next row's arrangement undoes it.
struct Arranged {
    std::shared_ptr<void> claim;
    std::vector<std::unique_ptr<LinuxPeer>> servers;
    std::unique_ptr<CuttingRelay> relay;
    std::string package;  // served when it is not the embedded one
    std::string killAt;   // the state file's size at which the installer is killed
};

// nginx serving the embedded package as http://files.quorvalent.test/q.pkg
// from the address, and the reference update service with the options.
bool ServePackage(Arranged* held, std::vector<std::string> options, const char* webAddress = "127.0.0.10")
{
    options.insert(options.begin(), {BuildDir() + "/quorvalent-service", "--package-url",
                                     "http://files.quorvalent.test/q.pkg"});
    held->servers.emplace_back(new LinuxPeer("nginx", webAddress, 80));
    held->servers.emplace_back(new LinuxPeer("service", "127.0.0.40", 16000, options));
    return WriteWholeFile(WindowsPath(held->servers[0]->Folder() + "/www/q.pkg"), Embedded()) &&
           held->servers[0]->Ready() && held->servers[1]->Ready();
}

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
    setenv("TZ", w[0] == "zone" ? w[1].c_str() : "EST5", 1);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version");
    RunHost("umount " + install + (keep ? "" : "; rm -rf " + install));  // a mount namespace of its own
    if (!keep)
        for (const char* key : {kUninstallKey, kArpCacheKey, kProductKey})
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
    if (w[0] == "service" || w[0] == "zone")
        return ServePackage(held,
                            w[0] == "zone" ? std::vector<std::string>{"--refuse", "unavailable"} : rest);
    if (w[0] == "marked")
        return WriteRegistryValue(kUninstallKey, "DisplayName", REG_SZ, std::string("marked") + '\0');
    if (w[0] == "kill" || w[0] == "paced") {
        held->package = LargePackage();
        held->killAt = w[0] == "kill" ? w[1] : "";
        held->servers.emplace_back(new LinuxPeer("nginx", "127.0.0.12", 80, {"4m"}));
        held->relay.reset(new CuttingRelay("127.0.0.12", {~0u}));
        return WriteWholeFile(WindowsPath(held->servers[0]->Folder() + "/www/q.pkg"), held->package) &&
               held->servers[0]->Ready() && held->relay->Listening();
    }
    if (w[0] == "direct" || w[0] == "http" || w[0] == "socks" || w[0] == "cut") {
        const uint32_t first = w[0] == "cut" ? atoi(w[1].c_str()) : ~0u,
                       then = w[0] == "cut" ? atoi(w[2].c_str()) : ~0u;
        held->relay.reset(new CuttingRelay("127.0.0.11", {first, then}));
        return held->relay->Listening();
    }
    return held->claim || w[0] == "keep" || w[0] == "twice";
}

// Runs the installer with the row's options as another program starts it
// (twice at once for "twice"): "exit N | <the expected part of what it
// printed, or all of it when that is missing or an Unable... alert shows> |
// <the installation>", as tests/data/setup/runs.txt describes it. The starts
// that the row expects are waited for, or taken as seen where launches
// cannot be seen. A row that kills the installer does so once the state file
// holds the bytes it names, and prints "killed".
std::string Run(const std::vector<std::string>& row, const Arranged& held)
{
    const std::string state = ShellQuoted(UnixPath(testing_package::DownloadStatePath()));
    const size_t before = ReadWholeFile(testing_package::DownloadStatePath()).bytes.size();
    const std::string command =
        BuiltProgram("quorvalent-setup.exe") + " " + row[1] +
        (held.killAt.empty()
             ? ""
             : " & pid=$!; while [ \"$(stat -c %s " + state + " 2>/dev/null || echo 0)\" -lt " + held.killAt +
                   " ] && kill -0 $pid 2>/dev/null; do sleep 0.05; done; " +
                   "kill -9 $pid 2>/dev/null && echo killed; wait $pid; true");
    HostRun run, other = {0, ""};
    {
        // Started from this Wine process, the installer may print its console
        // alerts on this process's stderr rather than on the shell's.
        StderrCapture alerts;
        std::thread alongside([&] {  // a host thread: it calls only the C library, never Wine
            other = row[0] == "twice" ? RunHost(command, 90, true) : other;
        });
        run = RunHost(command, 90, true);
        alongside.join();
        run.output += other.output + alerts.Text();
    }
    const std::string package = (held.package.empty() ? Embedded() : held.package) + std::string(8, '\0'),
                      program = InstallFolder() + "\\Quorvalent.exe";
    const RegistryValue name = ReadRegistryValue(kUninstallKey, "DisplayName"),
                        executable = ReadRegistryValue(kProductKey, "ExecutablePath"),
                        bundle = ReadRegistryValue(kProductKey, "Bundle");
    const bool whole = ReadRegistryValue(kUninstallKey, "DisplayIcon").Text() == program &&
                       executable.Text() == program &&
                       ReadRegistryValue(kUninstallKey, "EstimatedSize").Number() ==
                           LoadBigEndian32(reinterpret_cast<const uint8_t*>(package.data()) + 4);
    const size_t starts = Occurrences(row[3], "started");
    std::string assumed;
    for (size_t i = 0; i < starts; ++i) assumed += i ? ", started" : "started";
    // A resumed run asks for the file from the first byte the state held.
    const std::string range = "\r\nRange: bytes=" + std::to_string(before) + "-\r\n";
    if (held.relay)
        held.relay->Stop();  // the installer has ended
    const bool resumed = !held.package.empty() && Contains(held.relay->received, range);
    const FileBytes data = ReadWholeFile(InstallFolder() + "\\data.bin");
    const std::pair<bool, std::string> parts[] = {
        {!held.package.empty() && before != 0,
         resumed ? "resumed" : "not resumed from " + std::to_string(before)},
        {FileExists(program.c_str()),
         ReadWholeFile(program).bytes == ReadWholeFile(StandinExe()).bytes ? "program" : "another program"},
        {FileExists((InstallFolder() + "\\Quorvalent.new.exe").c_str()), "Quorvalent.new.exe"},
        {name.found || executable.found, "registered" +
                                             (name.Text() == "Quorvalent" ? "" : " as " + name.Text()) +
                                             (whole ? "" : " in part")},
        {bundle.found, "bundle " + std::to_string(bundle.Number())},
        {true, Shortcuts(program)},
        {data.found, data.bytes == LargeData() ? "data" : "other data"},
        {FileExists(testing_package::DownloadStatePath().c_str()), "download kept"},
        {true, !LaunchesVisible()            ? assumed
               : FileExists(program.c_str()) ? RecordedStarts(InstallFolder(), starts)
                                             : ""}};
    std::string said;
    for (const auto& part : parts) said += part.first && !part.second.empty() ? ", " + part.second : "";
    const bool told = Contains(run.output, row[2]) && !Contains(run.output, "Unable");
    return "exit " + std::to_string(run.exitCode | other.exitCode) + " | " + (told ? row[2] : run.output) +
           " | " + (said.empty() ? "nothing" : said.substr(2));
}

// Each row of the table (arranged | options | printed | installation | page
// opened) in order: its outcome as stated and as seen; then the pages.
std::vector<std::pair<std::string, std::string>> RunRows(const std::string& table)
{
    const std::string record = InstallLinkRecorder();
    SHCreateDirectoryExA(nullptr, QuickLaunchFolder().c_str(), nullptr);
    std::vector<std::pair<std::string, std::string>> outcomes;
    std::string pages;
    Arranged held;
    for (const std::vector<std::string>& row : ReadDataRows(table, 5)) {
        // Two sanitized installers started at once in one prefix sometimes
        // hang in Wine's start-up, before any code of ours runs.
        if (row[0] == "twice" && !LaunchesVisible())
            continue;
        const std::string label = row[0] + " | " + row[1] + " -> ";
        outcomes.push_back({label + "exit 0 | " + row[2] + " | " + row[3],
                            label + (Arrange(row[0], &held) ? Run(row, held) : "not arranged")});
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
    Arranged site;
    LinuxPeer tinyproxy("tinyproxy", "127.0.0.20", 3128, {"user", "secret"});
    LinuxPeer microsocks("microsocks", "127.0.0.30", 1080, {"user", "secret"});
    // danted checks that its address is one of an interface's, which only
    // the loopback's first address is.
    LinuxPeer danted("danted", "127.0.0.1", 1080);
    ASSERT_TRUE(ServePackage(&site, {"--package-number", "1"}, "127.0.0.11") && tinyproxy.Ready() &&
                microsocks.Ready() && danted.Ready());
    const auto outcomes = RunRows("setup/routes.txt");
    ASSERT_FALSE(outcomes.empty());
    for (const auto& outcome : outcomes) EXPECT_EQ(outcome.second, outcome.first);
}
