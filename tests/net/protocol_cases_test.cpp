// Runs the protocol and format cases kept as data under tests/data/: HTTP
// exchanges, SOCKS negotiations and update service exchanges against peers in
// memory, "Proxies" records, the values of HTTP headers and the comparisons of
// texts. The top of
// tests/data/http/exchanges.txt tells how a case is written; each file tells
// what its keys do.
#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "base/memory_stream.h"
#include "base/text.h"
#include "net/base64.h"
#include "net/http_downloader.h"
#include "net/http_parse.h"
#include "net/proxies_record.h"
#include "service/random.h"
#include "service/update_exchange.h"
#include "tests/support/memory_peer.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/test_env.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A case: its name, its set-up values by key, its acts in order (key and
// decoded value) and the lines it must show, decoded, each ended by a line feed.
struct Case {
    std::string name;
    std::map<std::string, std::vector<std::string>> setUp;
    std::vector<std::pair<std::string, std::string>> acts;
    std::string expected;
};

const std::string kSetUpKeys =
    " reply service clock pieces silent http-proxy socks-proxy resume noredirect fully nosocket ";

std::string Decode(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char escape = text[i] == '\\' && i + 1 < text.size() ? text[++i] : 0;
        if (escape == '[') {
            for (i = i + 1; text.at(i) != ']'; ++i)
                if (text[i] != ' ')
                    out += char(std::stoi(text.substr(i++, 2), nullptr, 16));
        } else if (escape == '{') {
            size_t colon = text.find(':', i), end = text.find('}', colon);
            for (int n = std::stoi(text.substr(i + 1, colon - i - 1)); n > 0; --n)
                out += Decode(text.substr(colon + 1, end - colon - 1));
            i = end;
        } else {
            size_t plain = std::string("rn0").find(escape);
            out += !escape ? text[i] : plain == std::string::npos ? escape : std::string("\r\n\0", 3)[plain];
        }
    }
    return out;
}

std::vector<Case> ReadCases(const std::string& path)
{
    std::vector<Case> cases;
    std::istringstream lines(ReadWholeFile(path).bytes);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 2, "= ") == 0)
            cases.push_back({line.substr(2), {}, {}, ""});
        if (line.empty() || line[0] == '#' || (line[0] == '=' && line[1] != '>') || cases.empty())
            continue;
        size_t arrow = line.compare(0, 3, "=> ") == 0 ? 0 : line.find(" => ");
        if (arrow != std::string::npos)
            cases.back().expected += Decode(line.substr(arrow + (arrow ? 4 : 3))) + "\n";
        std::string step = line.substr(0, arrow);
        size_t space = step.find(' ');
        std::string key = step.substr(0, space),
                    value = space == std::string::npos ? "" : step.substr(space + 1);
        if (kSetUpKeys.find(" " + key + " ") != std::string::npos)
            cases.back().setUp[key].push_back(Decode(value));
        else if (!step.empty())
            cases.back().acts.emplace_back(key, Decode(value));
    }
    return cases;
}

uint32_t Number(Case& c, const std::string& key)
{
    return c.setUp[key].empty() ? 0 : std::stoul(c.setUp[key][0]);
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

// "host:port bytes sent" for each connection the peer made from the first on.
std::string Sent(const MemoryPeer& peer, size_t first = 0)
{
    std::string lines;
    for (size_t i = first; i < peer.targets.size(); ++i)
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
    std::string body = "at " + std::to_string(downloader.GetPosition()) + ": ";
    for (char piece[64 * 1024]; (result = downloader.Read(piece, sizeof piece)) >= 0;)
        body.append(piece, static_cast<size_t>(result));
    return Sent(g_webPeer) + shown + body + ", then " + std::to_string(result);
}

std::string Connect(Case&, const std::string& target)
{
    size_t first = g_webPeer.targets.size();
    MemoryConnection connection(g_webPeer);
    StderrCapture alert;
    std::string host = target.substr(0, target.find(':'));
    int32_t code = ThrownCode(
        [&] { connection.ConnectVia(host.c_str(), uint16_t(std::stoi(target.substr(host.size() + 1)))); });
    std::string told = alert.Text();
    return Sent(g_webPeer, first) + (told.empty() ? "" : "alert " + told) +
           (code ? Failed(code) : "connected") + Unread(g_webPeer);
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
    char shown[512];
    std::snprintf(shown, sizeof shown, "http %s %s:%u %s:%s, socks %s %u %s:%u %s:%s",
                  s.HttpEnabled() ? "on" : "off", s.HttpHost(), s.HttpPort(), s.HttpUser(), s.HttpPassword(),
                  s.SocksEnabled() ? "on" : "off", s.SocksVersion(), s.SocksHost(), s.SocksPort(),
                  s.SocksUser(), s.SocksPassword());
    MemoryStream stream;
    ProxiesRecord::Write(stream, s);
    std::string written(reinterpret_cast<char*>(stream.GetBuffer()), stream.GetSize());
    std::string faults = bytes.compare(0, written.size(), written) ? ", written back otherwise" : "";
    for (size_t cut = 0; cut < written.size(); ++cut)
        if (ReadRecord(bytes.substr(0, cut), s) != kErrorMalformed)
            faults += ", read when cut to " + std::to_string(cut);
    return shown + faults;
}

std::string Status(Case&, const std::string& line)
{
    int32_t status = 0;
    return ParseStatusCode(line.c_str(), status) ? std::to_string(status) : "none";
}

// A number parsed from the text; a refused one leaves its destination alone.
std::string Parsed(NumberParse (*parse)(const char*, uint32_t&), const std::string& text)
{
    uint32_t value = 7;
    NumberParse result = parse(text.c_str(), value);
    if (result == NumberParse::kValue)
        return std::to_string(value);
    return (result == NumberParse::kNone ? "none" : "too large") +
           std::string(value != 7 ? ", value changed" : "");
}

std::string Decimal(Case&, const std::string& text) { return Parsed(ParseDecimalU32, text); }
std::string Chunk(Case&, const std::string& text) { return Parsed(ParseChunkSize, text); }

std::string Range(Case&, const std::string& text)
{
    uint32_t first = 0, last = 0, length = 0;
    if (!ParseContentRange(text.c_str(), first, last, length))
        return "none";
    return std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(length);
}

std::string Encoded(Case&, const std::string& text)
{
    char out[128];
    std::memset(out, '#', sizeof out);
    Base64Encode(out, text.c_str());
    uint32_t size = Base64EncodedSize(static_cast<uint32_t>(std::strlen(text.c_str())));
    return (out[0] ? out : "(empty)") +
           (size == std::strlen(out) + 1 ? "" : ", sized " + std::to_string(size));
}

const char* TextOrNull(const std::string& text) { return text == "(null)" ? nullptr : text.c_str(); }

std::string Compare(Case&, const std::string& value)
{
    std::string left = value.substr(0, value.find('|')), right = value.substr(left.size() + 1);
    const char* a = TextOrNull(left);
    const char* b = TextOrNull(right);
    std::string shown = CompareNoCase(a, b) == 0 ? "equal" : "differ";
    shown += StartsWithNoCase(a, b) ? ", prefix" : ", no prefix";
    return shown + (!a || !b ? "" : HasPrefixNoCase(a, b, 3) ? ", first 3 alike" : ", first 3 differ");
}

std::string Digits(Case&, const std::string& text) { return std::to_string(ParseDecimal(TextOrNull(text))); }

typedef std::string (*Act)(Case&, const std::string&);
const std::map<std::string, Act> kActs = {{"get", Get},        {"connect", Connect}, {"exchange", Exchange},
                                          {"record", Record},  {"status", Status},   {"decimal", Decimal},
                                          {"chunk", Chunk},    {"range", Range},     {"base64", Encoded},
                                          {"nocase", Compare}, {"digits", Digits}};

void RunCaseFile(const std::string& path)
{
    for (Case& c : ReadCases(path)) {
        UseNoProxy();
        for (const std::string& http : c.setUp["http-proxy"]) UseProxy(false, http);
        for (const std::string& socks : c.setUp["socks-proxy"]) UseProxy(true, socks);
        g_webPeer.Script(c.setUp["reply"]);
        g_servicePeer.Script(c.setUp["service"]);
        for (MemoryPeer* peer : {&g_webPeer, &g_servicePeer}) {
            peer->largestPiece = Number(c, "pieces");
            peer->silentAtEnd = c.setUp.count("silent");
        }
        ScopedNetTiming clock(Number(c, "clock"));
        std::string shown;
        for (const auto& act : c.acts) {
            auto known = kActs.find(act.first);
            shown += (known == kActs.end() ? "no act " + act.first : known->second(c, act.second)) + "\n";
        }
        EXPECT_EQ(shown, c.expected) << path << ": " << c.name;
    }
}

}  // namespace

TEST(ProtocolCases, EveryCaseFileShowsWhatItExpects)
{
    SetHttpConnectionMaker(MakeWebConnection);
    SetServiceConnectionMaker(MakeServiceConnection);
    for (const char* topic : {"http", "socks", "service", "proxies", "text"}) {
        std::string folder = WindowsPath(SourceDir() + "/tests/data/" + topic + "/");
        std::vector<std::string> names = ListNames(folder);
        std::sort(names.begin(), names.end());
        EXPECT_FALSE(names.empty()) << folder;
        for (const std::string& name : names) RunCaseFile(folder + name);
    }
    SetHttpConnectionMaker(nullptr);
    SetServiceConnectionMaker(nullptr);
}
