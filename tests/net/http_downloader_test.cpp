#include "tests/support/gtest.h"

#include "net/http_downloader.h"

#include "tests/support/http_test_support.h"
#include "tests/support/linux_peer.h"
#include "tests/support/memory_peer.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUrl[] = "http://files.quorvalent.test/files/package.bin";
const std::string kGet = "GET /files/package.bin HTTP/1.1\r\nHost: files.quorvalent.test\r\n";
const std::string kProxyGet =
    "GET http://files.quorvalent.test/files/package.bin HTTP/1.1\r\n"
    "Host: files.quorvalent.test\r\n";
const std::string kMirrorGet = "GET /other/file HTTP/1.1\r\nHost: mirror.quorvalent.test\r\n";
const std::string kMirrorProxyGet =
    "GET http://mirror.quorvalent.test/other/file HTTP/1.1\r\n"
    "Host: mirror.quorvalent.test\r\n";
const std::string kRequest = kGet + "\r\n";
const std::string kAuth = "Proxy-Authorization: Basic dXNlcjpzZWNyZXQ=\r\n\r\n";  // user:secret
const std::string k200 = "HTTP/1.1 200 OK\r\n";
const std::string kHello = k200 + "Content-Length: 5\r\n\r\nhello";
const std::string k206 =
    "HTTP/1.1 206 Partial\r\nContent-Range: bytes 10-14/15\r\nContent-Length: 5\r\n\r\nhello";
const std::string kChunked = k200 + "Transfer-Encoding: anything\r\n\r\n";
const std::string k407 =
    "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"q\"\r\n"
    "Content-Length: 0\r\n\r\n";
const std::string kMoved = "HTTP/1.1 302 Found\r\nLocation: http://mirror.quorvalent.test/other/file\r\n\r\n";

std::string Range(uint32_t offset)
{
    return "Range: bytes=" + std::to_string(offset) + "-\r\n";
}

// A header line of exactly length bytes, line end included, that starts with text.
std::string PaddedLine(const std::string& text, size_t length)
{
    return text + std::string(length - text.size() - 2, ';') + "\r\n";
}

std::string Repeated(const std::string& line, int count)
{
    std::string lines;
    while (count-- > 0) lines += line;
    return lines;
}

// One download: the replies of the connections it makes, in order, the exact
// requests it must send on them, and what SendRequest, GetPosition and the
// reads give. Each request goes to the host it names on port 80, or to the
// HTTP proxy when the row has one ("user:password").
struct Exchange {
    const char* name;
    std::vector<std::string> replies;
    std::vector<std::string> requests;
    int32_t sendResult;
    uint32_t position;
    std::string body;
    int32_t endResult;
    uint32_t resumeOffset = 0;
    const char* proxy = nullptr;
    const char* url = kUrl;
    bool redirectAllowed = true;
};

void RunExchange(const Exchange& c)
{
    UseNoProxy();
    if (c.proxy) {
        const char* colon = std::strchr(c.proxy, ':');
        UseHttpProxy("proxy.quorvalent.test", 3128, std::string(c.proxy, colon).c_str(), colon + 1);
    }
    g_webPeer.Script(c.replies);
    HttpDownloader downloader;
    downloader.SetUrl(c.url);
    downloader.SetResumeOffset(c.resumeOffset);
    std::string body;
    int32_t sent = downloader.SendRequest(c.redirectAllowed);
    EXPECT_EQ(sent, c.sendResult) << c.name;
    EXPECT_EQ(downloader.GetPosition(), c.position) << c.name;
    EXPECT_EQ(sent == 0 ? ReadToEnd(downloader, body) : 0, c.endResult) << c.name;
    EXPECT_EQ(body, c.body) << c.name;
    EXPECT_EQ(g_webPeer.sent, c.requests) << c.name;
    for (size_t i = 0; i < g_webPeer.targets.size() && i < c.requests.size(); ++i) {
        size_t host = c.requests[i].find("Host: ") + 6;
        std::string named = c.requests[i].substr(host, c.requests[i].find("\r\n", host) - host) + ":80";
        EXPECT_EQ(g_webPeer.targets[i], c.proxy ? "proxy.quorvalent.test:3128" : named) << c.name;
    }
}

class HttpDownloaderTest : public testing::Test {
protected:
    void SetUp() override { SetHttpConnectionMaker(MakeWebConnection); }
    void TearDown() override { SetHttpConnectionMaker(nullptr); }
};

}  // namespace

TEST_F(HttpDownloaderTest, ExchangesRequestsAndAnswersByteForByte)
{
    const std::string pathHost = "HTTP/1.1\r\nHost: files.quorvalent.test\r\n\r\n";
    // clang-format off
    const Exchange cases[] = {
        {"sized body", {kHello}, {kRequest}, 0, 0, "hello", -1},
        {"bare host asks for /", {kHello}, {"GET / " + pathHost}, 0, 0, "hello", -1, 0, nullptr,
         "http://files.quorvalent.test"},
        {"scheme in any case, query kept", {kHello}, {"GET /get?a=1&b=/c " + pathHost}, 0, 0, "hello", -1, 0,
         nullptr, "HTTP://files.quorvalent.test/get?a=1&b=/c"},
        {"URL ends at a line break", {kHello}, {"GET /x " + pathHost}, 0, 0, "hello", -1, 0, nullptr,
         "http://files.quorvalent.test/x\r\nInjected: 1"},
        {"resumed with Content-Range", {k206}, {kGet + Range(10) + "\r\n"}, 0, 10, "hello", -1, 10},
        {"resume refused: whole file", {kHello}, {kGet + Range(10) + "\r\n"}, 0, 0, "hello", -1, 10},
        {"header names in any case", {k200 + "content-LENGTH: 5\r\n\r\nhello"}, {kRequest}, 0, 0, "hello", -1},
        {"Content-Length without its space", {k200 + "Content-Length:5\r\n\r\nhello"}, {kRequest}, -3, 0, "", 0},
        {"no Content-Length", {k200 + "\r\nhello"}, {kRequest}, -3, 0, "", 0},
        {"Content-Length 0", {k200 + "Content-Length: 0\r\n\r\n"}, {kRequest}, -3, 0, "", 0},
        {"Content-Length past 32 bits", {k200 + "Content-Length: 4294967301\r\n\r\n"}, {kRequest}, -3, 0, "", 0},
        {"resume offset plus length past 32 bits",
         {"HTTP/1.1 206 Partial\r\nContent-Range: x\r\nContent-Length: 4294967290\r\n\r\n"},
         {kGet + Range(10) + "\r\n"}, -3, 10, "", 0, 10},
        {"chunked body", {kChunked + "5\r\nhello\r\n6;ext=1\r\n world\r\n0\r\n\r\n"}, {kRequest}, 0, 0,
         "hello world", -1},
        {"first chunk empty", {kChunked + "0\r\n\r\n"}, {kRequest}, -3, 0, "", 0},
        {"chunk size not a number", {kChunked + "zz\r\nhello\r\n"}, {kRequest}, -3, 0, "", 0},
        {"chunk size past 32 bits", {kChunked + "100000000\r\n"}, {kRequest}, -3, 0, "", 0},
        {"chunk longer than its size", {kChunked + "3\r\nhello\r\n0\r\n\r\n"}, {kRequest}, 0, 0, "hel", -3},
        {"not found", {"HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!"}, {kRequest}, -404, 0, "", 0},
        {"status not a number", {"HTTP/1.1 OK\r\n\r\n"}, {kRequest}, -3, 0, "", 0},
        {"cut in the status line", {"HTTP/1.1 20"}, {kRequest}, -1, 0, "", 0},
        {"cut in a header", {k200 + "Content-Le"}, {kRequest}, -1, 0, "", 0},
        {"cut in the body", {k200 + "Content-Length: 10\r\n\r\nhello"}, {kRequest}, 0, 0, "hello", -1},
        {"longest header line that fits", {k200 + PaddedLine("Content-Length: 5", 1023) + "\r\nhello"},
         {kRequest}, 0, 0, "hello", -1},
        {"header line too long is dropped, not cut", {k200 + PaddedLine("Content-Length: 5", 1024) + "\r\nhello"},
         {kRequest}, -3, 0, "", 0},
        // Here the tail of the over-long line would look like the end of the headers.
        {"tail of a long line is no header end",
         {k200 + PaddedLine("X-Pad: ", 1025) + "Content-Length: 5\r\n\r\nhello"}, {kRequest}, 0, 0, "hello", -1},
        {"line of three buffers leaves the next header alone",
         {k200 + PaddedLine("X-Pad: ", 3000) + "Content-Length: 5\r\n\r\nhello"}, {kRequest}, 0, 0, "hello", -1},
        {"endless headers", {k200 + Repeated(PaddedLine("X-Filler: ", 64), 1100)}, {kRequest}, -3, 0, "", 0},
        {"header lines that begin with NUL cost what they carry", {k200 + Repeated(std::string("\0\n", 2), 40000)},
         {kRequest}, -3, 0, "", 0},
        {"a NUL at the end of the buffer leaves an over-long line over-long",
         {k200 + "Content-Length: 5" + std::string(1005, ';') + std::string("\0X\r\n", 4) + "\r\nhello"},
         {kRequest}, -3, 0, "", 0},
        {"redirect without Location", {"HTTP/1.1 302 Found\r\nContent-Length: 0\r\n\r\n"}, {kRequest}, -3, 0,
         "", 0},
        {"relative redirect", {"HTTP/1.1 301 Moved\r\nLocation: /elsewhere\r\n\r\n"}, {kRequest}, -3, 0, "", 0},
        {"one redirect is followed with the same range",
         {kMoved, "HTTP/1.1 206 Partial\r\nContent-Range: bytes 7-11/12\r\nContent-Length: 5\r\n\r\nworld"},
         {kGet + Range(7) + "\r\n", kMirrorGet + Range(7) + "\r\n"}, 0, 7, "world", -1, 7},
        {"a second redirect fails", {kMoved, kMoved}, {kRequest, kMirrorGet + "\r\n"}, -3, 0, "", 0},
        {"no redirect when none is allowed", {kMoved, kHello}, {kRequest}, -3, 0, "", 0, 0, nullptr, kUrl, false},
        {"407 without a proxy", {k407}, {kRequest}, -407, 0, "", 0},
        {"proxy credentials after its 407", {k407, kHello}, {kProxyGet + "\r\n", kProxyGet + kAuth}, 0, 0,
         "hello", -1, 0, "user:secret"},
        {"empty credentials are still sent", {k407, kHello},
         {kProxyGet + "\r\n", kProxyGet + "Proxy-Authorization: Basic Og==\r\n\r\n"}, 0, 0, "hello", -1, 0, ":"},
        {"range comes before the authorisation", {k407, k206},
         {kProxyGet + Range(10) + "\r\n", kProxyGet + Range(10) + kAuth}, 0, 10, "hello", -1, 10, "user:secret"},
        {"credentials refused again: no third try", {k407, k407, kHello}, {kProxyGet + "\r\n", kProxyGet + kAuth},
         -3, 0, "", 0, 0, "user:secret"},
        {"the host a redirect names is asked for again", {k407, kMoved, k407, kHello},
         {kProxyGet + "\r\n", kProxyGet + kAuth, kMirrorProxyGet + "\r\n", kMirrorProxyGet + kAuth}, 0, 0,
         "hello", -1, 0, "user:secret"},
        {"credentials refused after a redirect: no further try", {k407, kMoved, k407, k407, kHello},
         {kProxyGet + "\r\n", kProxyGet + kAuth, kMirrorProxyGet + "\r\n", kMirrorProxyGet + kAuth}, -3, 0,
         "", 0, 0, "user:secret"},
        {"refusal without Basic is malformed",
         {"HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Digest x\r\n\r\n", kHello},
         {kProxyGet + "\r\n"}, -3, 0, "", 0, 0, "user:secret"},
    };
    // clang-format on
    for (const Exchange& c : cases) RunExchange(c);
}

TEST_F(HttpDownloaderTest, SlowOrSilentServersEndTheDownload)
{
    {
        // Each clock reading moves a second on: the status line trickles past
        // its 30 s budget long before it is complete.
        ScopedNetTiming clock(1000);
        g_webPeer.Script({"HTTP/1.1 200 " + std::string(40, 'O') + "\r\n"});
        g_webPeer.largestPiece = 1;
        HttpDownloader downloader;
        downloader.SetUrl(kUrl);
        EXPECT_EQ(downloader.SendRequest(true), kErrorLineTimeout);
    }
    g_webPeer.Script({k200 + "Content-Length: 9\r\n\r\nabc"});
    g_webPeer.silentAtEnd = true;
    HttpDownloader downloader;
    downloader.SetUrl(kUrl);
    std::string body;
    EXPECT_EQ(ReadToEnd(downloader, body), kErrorLineTimeout);
    EXPECT_EQ(body, "abc");
}

TEST_F(HttpDownloaderTest, RefusesUrlsAndRequestsTooLongForTheirBuffers)
{
    struct Case {
        const char* name;
        size_t hostLength;
        size_t pathLength;
        bool viaProxy;
        bool urlAccepted;
        bool requestFits;
    };
    const Case cases[] = {
        {"longest host", 511, 1, false, true, true},
        {"host one too long", 512, 1, false, false, false},
        {"longest path, in a request too long", 20, 1025, false, true, false},
        {"path one too long", 20, 1026, false, false, false},
        {"empty host", 0, 5, false, false, false},
        {"longest request", 21, 977, false, true, true},
        {"request one too long for its buffer", 21, 978, false, true, false},
        {"proxy request too long for its buffer", 300, 400, true, true, false},
    };
    for (const Case& c : cases) {
        UseNoProxy();
        if (c.viaProxy)
            UseHttpProxy("proxy.quorvalent.test", 3128, "", "");
        std::string host(c.hostLength, 'h');
        std::string path = "/" + std::string(c.pathLength - 1, 'p');
        g_webPeer.Script({kHello});
        HttpDownloader downloader;
        EXPECT_EQ(downloader.SetUrl(("http://" + host + path).c_str()), c.urlAccepted) << c.name;
        // Nothing is cut to fit: the request is refused before any connection.
        EXPECT_EQ(downloader.SendRequest(true), c.requestFits ? 0 : -3) << c.name;
        std::vector<std::string> sent;
        if (c.requestFits)
            sent.push_back("GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n");
        EXPECT_EQ(g_webPeer.sent, sent) << c.name;
    }
}

TEST_F(HttpDownloaderTest, ReadFullyFillsTheBufferFromPieces)
{
    UseNoProxy();
    g_webPeer.Script({k200 + "Content-Length: 20\r\n\r\n0123456789abcdefghij"});
    g_webPeer.largestPiece = 3;
    HttpDownloader downloader;
    downloader.SetUrl(kUrl);
    uint8_t header[16] = {};
    downloader.SetBuffer(header, sizeof header);
    EXPECT_EQ(downloader.ReadFully(0), 0);
    EXPECT_EQ(downloader.ReadFully(17), 0) << "more than the buffer";
    EXPECT_EQ(downloader.ReadFully(16), 16) << "sends the request itself";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header), 16), "0123456789abcdef");
    EXPECT_EQ(downloader.ReadFully(16), -1) << "only 4 bytes were left";
}

TEST(HttpDownloaderEndToEnd, FollowsARedirectThroughAProxyThatAsksEveryHostForCredentials)
{
    WinsockSession winsock;
    // nginx's /moved sends the client on to the mirror's copy.
    LinuxPeer files("nginx", "127.0.0.10", 80);
    LinuxPeer mirror("nginx", "127.0.0.11", 80);
    LinuxPeer proxy("tinyproxy", "127.0.0.20", 3128, {"user", "secret"});
    ASSERT_TRUE(files.Ready() && mirror.Ready() && proxy.Ready());
    const std::string package = PatternBytes(100000, 1);
    ASSERT_TRUE(WriteUnixFile(mirror.Folder() + "/www/files/package.bin", package));
    UseNoProxy();
    UseHttpProxy("proxy.quorvalent.test", 3128, "user", "secret");
    HttpDownloader downloader;
    downloader.SetUrl("http://files.quorvalent.test/moved");
    downloader.SetResumeOffset(1000);
    ASSERT_EQ(downloader.SendRequest(true), 0);
    EXPECT_EQ(downloader.GetPosition(), 1000u);
    std::string body;
    EXPECT_EQ(ReadToEnd(downloader, body), -1);
    EXPECT_TRUE(body == package.substr(1000)) << body.size() << " bytes";
}
