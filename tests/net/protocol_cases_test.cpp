// Runs the protocol and format cases kept as data under tests/data/: HTTP
// exchanges, SOCKS negotiations and update service exchanges against peers in
// memory, TCP connections on the test's own loopback, and the proxy settings
// with their "Proxies" file and record. The top of
// tests/data/http/exchanges.txt tells how a case is written; each file tells
// what its keys do.
#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "base/memory_stream.h"
#include "net/host_address.h"
#include "net/http_downloader.h"
#include "net/proxies_record.h"
#include "net/tcp_connection.h"
#include "service/random.h"
#include "service/update_exchange.h"
#include "tests/support/memory_peer.h"
#include "tests/support/package_builder.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_env.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using testing_package::DataBytes;

namespace {

// A case: its name, its set-up values by key, its acts in order (key and
// decoded value) and the lines it must show, decoded, each ended by a line
// feed; then its TCP connections by name and the server's ends of them.
struct Case {
    std::string name;
    std::map<std::string, std::vector<std::string>> setUp;
    std::vector<std::pair<std::string, std::string>> acts;
    std::string expected;
    std::map<std::string, TcpConnection> tcp;
    std::vector<SOCKET> served;
};

const std::string kSetUpKeys =
    " reply service clock idle pieces silent hangup http-proxy socks-proxy resume noredirect fully nosocket "
    "file folder ";

std::vector<Case> ReadCases(const std::string& path)
{
    std::vector<Case> cases;
    std::istringstream lines(ReadWholeFile(path).bytes);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 2, "= ") == 0)
            cases.push_back({line.substr(2), {}, {}, "", {}, {}});
        if (line.empty() || line[0] == '#' || (line[0] == '=' && line[1] != '>') || cases.empty())
            continue;
        size_t arrow = line.compare(0, 3, "=> ") == 0 ? 0 : line.find(" => ");
        if (arrow != std::string::npos)
            cases.back().expected += DataBytes(line.substr(arrow + (arrow ? 4 : 3))) + "\n";
        std::string step = line.substr(0, arrow);
        size_t space = step.find(' ');
        std::string key = step.substr(0, space),
                    value = space == std::string::npos ? "" : step.substr(space + 1);
        if (kSetUpKeys.find(" " + key + " ") != std::string::npos)
            cases.back().setUp[key].push_back(DataBytes(value));
        else if (!step.empty())
            cases.back().acts.emplace_back(key, DataBytes(value));
    }
    return cases;
}

uint32_t Number(Case& c, const std::string& key, uint32_t otherwise = 0)
{
    return c.setUp[key].empty() ? otherwise : std::stoul(c.setUp[key][0]);
}

std::string Failed(int32_t code) { return "failed " + std::to_string(code); }

// "host:port user:password", after the version for the SOCKS proxy.
void UseProxy(bool socks, const std::string& value)
{
    std::istringstream in(socks ? value.substr(value.find(' ') + 1) : value);
    std::string host, port, user, password;
    std::getline(std::getline(std::getline(std::getline(in, host, ':'), port, ' '), user, ':'), password);
    if (socks)
        UseSocksProxy(uint8_t(std::stoi(value)), host.c_str(), uint16_t(std::stoi(port)), user.c_str(),
                      password.c_str());
    else
        UseHttpProxy(host.c_str(), uint16_t(std::stoi(port)), user.c_str(), password.c_str());
}

// "host:port bytes sent" for each connection the peer made.
std::string Sent(const MemoryPeer& peer)
{
    std::string lines;
    for (size_t i = 0; i < peer.targets.size(); ++i)
        lines += peer.targets[i] + (peer.sent[i].empty() ? "" : " " + peer.sent[i]) + "\n";
    return lines;
}

std::string Unread(const MemoryPeer& peer)
{
    return peer.size > peer.at ? ", " + std::to_string(peer.size - peer.at) + " unread" : "";
}

std::string Get(Case& c, const std::string& url)
{
    HttpDownloader downloader;
    std::string shown = downloader.SetUrl(url.c_str()) ? "" : "url refused, ";
    downloader.SetResumeOffset(Number(c, "resume"));
    const std::vector<std::string>& fully = c.setUp["fully"];
    for (size_t i = 0; i < fully.size(); ++i) {
        char header[16];
        downloader.SetBuffer(reinterpret_cast<uint8_t*>(header), sizeof header);
        int32_t got = downloader.ReadFully(std::stoul(fully[i]));
        shown += (i ? ", " : "") + std::to_string(got) + (got > 0 ? " " + std::string(header, got) : "");
    }
    int32_t result = fully.empty() ? downloader.SendRequest(!c.setUp.count("noredirect")) : 0;
    if (!fully.empty() || result != 0)
        return Sent(g_webPeer) + shown + (result ? Failed(result) : "");
    uint32_t first = 0, length = 0;
    std::string body = "at " + std::to_string(downloader.GetPosition());
    if (downloader.GetContentRange(first, length))
        body += " (range " + std::to_string(first) + " of " + std::to_string(length) + ")";
    body += ": ";
    for (char piece[64 * 1024]; (result = downloader.Read(piece, sizeof piece)) >= 0;)
        body.append(piece, static_cast<size_t>(result));
    return Sent(g_webPeer) + shown + body + ", then " + std::to_string(result);
}

std::string Connect(Case&, const std::string& target)
{
    MemoryConnection connection(g_webPeer);
    StderrCapture alert;
    std::string host = target.substr(0, target.find(':'));
    int32_t code = ThrownCode(
        [&] { connection.ConnectVia(host.c_str(), uint16_t(std::stoi(target.substr(host.size() + 1)))); });
    std::string told = alert.Text();
    return Sent(g_webPeer) + (told.empty() ? "" : "alert " + told) + (code ? Failed(code) : "connected") +
           Unread(g_webPeer);
}

std::string Exchange(Case& c, const std::string&)
{
    const char* const outcomes[] = {"none",          "no socket",           "service unavailable",
                                    "manual update", "updates unavailable", "failed",
                                    "installed"};
    if (c.setUp.count("nosocket"))
        SetServiceConnectionMaker([]() -> Connection* { throw kErrorMalformed; });
    SeedRandom(5489);
    theApp.m_nOutcome = OutcomeNone;
    theApp.RunUpdateExchange();
    SetServiceConnectionMaker(MakeServiceConnection);
    uint32_t outcome = static_cast<uint32_t>(theApp.m_nOutcome);
    return Sent(g_servicePeer) + Sent(g_webPeer) +
           (outcome < 7 ? outcomes[outcome] : std::to_string(outcome)) +
           (theApp.m_pConnection ? ", connection kept" : "") + Unread(g_servicePeer);
}

// "NAME HOST": connects the TcpConnection of that name, made at its first
// use, to HOST, port 7000, where the server of the TCP cases listens; its end
// of the connection sends the case's next reply.
std::string Open(Case& c, const std::string& value)
{
    static SOCKET listener = BoundSocket("127.0.0.10", 7000);
    TcpConnection& connection = c.tcp[value.substr(0, value.find(' '))];
    ErrorCode code = ThrownCode([&] { connection.Connect(value.substr(value.find(' ') + 1).c_str(), 7000); });
    if (code != 0)
        return Failed(code) + (connection.closed ? ", closed" : ", open");
    c.served.push_back(accept(listener, nullptr, nullptr));
    std::string reply =
        c.served.size() <= c.setUp["reply"].size() ? c.setUp["reply"][c.served.size() - 1] : "";
    send(c.served.back(), reply.data(), static_cast<int>(reply.size()), 0);
    if (c.setUp.count("hangup"))
        shutdown(c.served.back(), 1);  // SD_SEND
    char peer[16];
    FormatIPv4(peer, connection.peerAddress);
    return "ok " + std::string(peer) + " from " + std::to_string(connection.localAddress >> 24);
}

// "NAME ARGUMENT" on the connection of that name: a line read into
// ARGUMENT bytes, exactly ARGUMENT bytes read (a plain Read when 0), the
// ARGUMENT written, or a close.
std::string OnConnection(Case& c, const std::string& act, const std::string& value)
{
    auto named = c.tcp.find(value.substr(0, value.find(' ')));
    if (named == c.tcp.end() || (act != "readline" && act != "read" && act != "write" && act != "close"))
        return "no act " + act;
    TcpConnection& connection = named->second;
    const std::string argument = value.substr(value.find(' ') + 1);
    char line[128] = "#";
    std::string bytes(act == "read" ? std::stoul(argument) : 0, '\0');
    uint32_t count = static_cast<uint32_t>(bytes.size());
    ErrorCode code = ThrownCode([&] {
        if (act == "readline")
            connection.ReadLine(line, std::stoul(argument));
        else if (act == "write")
            connection.WriteString(argument.c_str());
        else if (act == "close")
            connection.Close();
        else if (count == 0)
            count = connection.Read(&bytes[0], 0);
        else
            connection.ReadExactly(&bytes[0], count);
    });
    if (code != 0)
        return Failed(code);
    return act == "readline" ? '"' + std::string(line) + '"'
           : act == "read"   ? std::to_string(count) + " \"" + bytes + '"'
           : act == "write"  ? "ok"
                             : "closed";
}

std::string Resolve(Case&, const std::string& name)
{
    WSASetLastError(0);
    uint32_t address = 0;
    ErrorCode code = ThrownCode([&] { address = ResolveHostAddress(name.c_str()); });
    char printed[16] = "";
    std::string length = std::to_string(FormatIPv4(printed, address));
    return code ? Failed(code) + ", error " + std::to_string(WSAGetLastError())
                : printed + (", " + length + " characters");
}

ErrorCode ReadRecord(std::string bytes, ProxySettings& settings)
{
    MemoryStream stream;
    stream.Attach(reinterpret_cast<uint8_t*>(&bytes[0]), static_cast<uint32_t>(bytes.size()));
    return ThrownCode([&] { ProxiesRecord::Read(stream, settings); });
}

// The fields as read, and any way in which the record does not go back to
// its bytes or reads when cut short.
std::string Record(Case&, const std::string& bytes)
{
    ProxySettings s;
    ErrorCode code = ReadRecord(bytes, s);
    if (code != 0)
        return code == kErrorMalformed ? "malformed" : Failed(code);
    MemoryStream stream;
    ProxiesRecord::Write(stream, s);
    std::string written(reinterpret_cast<char*>(stream.GetBuffer()), stream.GetSize());
    std::string shown =
        ProxyFields(s) + (bytes.compare(0, written.size(), written) ? ", written back otherwise" : "");
    for (size_t cut = 0; cut < written.size(); ++cut)
        if (ReadRecord(bytes.substr(0, cut), s) != kErrorMalformed)
            shown += ", read when cut to " + std::to_string(cut);
    return shown;
}

// Saves the process's settings: whether changes stay unsaved, and "no file",
// "a folder" or what the file holds, with whether others may read it.
std::string Save(Case&, const std::string&)
{
    ProxySettings::Instance().Save();
    std::string shown = ProxySettings::Instance().IsDirty() ? "dirty, " : "clean, ";
    struct stat info;
    if (stat(UnixPath(ProxiesPath()).c_str(), &info) != 0)
        return shown + "no file";
    if (S_ISDIR(info.st_mode))
        return shown + "a folder";
    return shown + ReadWholeFile(ProxiesPath()).bytes + (info.st_mode & 077 ? ", for others too" : "");
}

std::string Load(Case&, const std::string&)
{
    ProxySettings loaded;
    loaded.Load();
    return ProxyFields(loaded) + (loaded.IsDirty() ? ", dirty" : "");
}

std::string Disable(Case&, const std::string&)
{
    ProxySettings::Instance().DisableIncomplete();
    return ProxyFields(ProxySettings::Instance());
}

typedef std::string (*Act)(Case&, const std::string&);
const std::map<std::string, Act> kActs = {{"get", Get},   {"connect", Connect}, {"exchange", Exchange},
                                          {"open", Open}, {"resolve", Resolve}, {"record", Record},
                                          {"save", Save}, {"load", Load},       {"disable", Disable}};

// What the case's acts show, a line each, once its set-up is in place.
std::string RunCase(Case& c)
{
    for (const std::string& bytes : c.setUp["file"]) WriteWholeFile(ProxiesPath(), bytes);
    if (c.setUp.count("folder")) {
        DeleteFileA(ProxiesPath().c_str());
        CreateDirectoryA(ProxiesPath().c_str(), nullptr);
    }
    ProxySettings::Instance().Load();
    UseNoProxy();
    for (const std::string& http : c.setUp["http-proxy"]) UseProxy(false, http);
    for (const std::string& socks : c.setUp["socks-proxy"]) UseProxy(true, socks);
    g_webPeer.Script(c.setUp["reply"]);
    g_servicePeer.Script(c.setUp["service"]);
    for (MemoryPeer* peer : {&g_webPeer, &g_servicePeer}) {
        peer->largestPiece = Number(c, "pieces");
        peer->silentAtEnd = c.setUp.count("silent");
    }
    ScopedNetTiming clock(Number(c, "clock"), 30000, Number(c, "idle", 60000));
    std::string shown;
    for (const auto& act : c.acts) {
        auto known = kActs.find(act.first);
        shown +=
            (known == kActs.end() ? OnConnection(c, act.first, act.second) : known->second(c, act.second)) +
            "\n";
    }
    for (SOCKET end : c.served) closesocket(end);
    return shown;
}

}  // namespace

TEST(ProtocolCases, EveryCaseFileShowsWhatItExpects)
{
    WinsockSession winsock;
    SetHttpConnectionMaker(MakeWebConnection);
    SetServiceConnectionMaker(MakeServiceConnection);
    for (const char* topic : {"http", "socks", "service", "tcp", "proxies"}) {
        std::string folder = WindowsPath(SourceDir() + "/tests/data/" + topic + "/");
        std::vector<std::string> names = ListNames(folder);
        std::sort(names.begin(), names.end());
        EXPECT_FALSE(names.empty()) << folder;
        for (const std::string& name : names)
            for (Case& c : ReadCases(folder + name))
                EXPECT_EQ(RunCase(c), c.expected) << name << ": " << c.name;
    }
    SetHttpConnectionMaker(nullptr);
    SetServiceConnectionMaker(nullptr);
}
