#include "tests/support/gtest.h"

#include "net/http_downloader.h"

#include "net/milli_clock.h"
#include "tests/support/http_test_support.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"

#include <cstring>
#include <string>

namespace {

const char kFilesAddress[] = "127.0.0.10";
const char kMirrorAddress[] = "127.0.0.11";
const char kProxyAddress[] = "127.0.0.20";
const uint16_t kProxyPort = 3128;
const char kUrl[] = "http://files.quorvalent.test/files/package.bin";
const std::string kRequest = "GET /files/package.bin HTTP/1.1\r\nHost: files.quorvalent.test\r\n\r\n";
const std::string kProxyRequest =
    "GET http://files.quorvalent.test/files/package.bin HTTP/1.1\r\nHost: files.quorvalent.test\r\n\r\n";
const std::string kHello = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
const std::string k407Basic =
    "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"q\"\r\n"
    "Content-Length: 0\r\n\r\n";

// A header line of exactly length bytes, line end included, that starts
// with text.
std::string PaddedLine(const std::string& text, size_t length)
{
    return text + std::string(length - text.size() - 2, ';') + "\r\n";
}

struct Exchange {
    const char* name;
    const char* url;
    uint32_t resumeOffset;
    std::string reply;
    // The server closes after its reply instead of waiting for the client.
    bool cut;
    std::string request;
    int32_t sendResult;
    uint32_t position;
    std::string body;
    int32_t endResult;
};

void RunExchange(const Exchange& c)
{
    PeerScript script = {ReceiveHeaders(), Send(c.reply), WaitForClose()};
    if (c.cut)
        script = {ReceiveHeaders(), Send(c.reply)};
    ScriptedPeer server(kFilesAddress, 80, {script});
    ASSERT_TRUE(server.Listening()) << c.name;
    HttpDownloader downloader;
    downloader.SetUrl(c.url);
    downloader.SetResumeOffset(c.resumeOffset);
    int32_t sent = downloader.SendRequest(true);
    EXPECT_EQ(sent, c.sendResult) << c.name;
    if (sent == 0) {
        EXPECT_EQ(downloader.GetPosition(), c.position) << c.name;
        std::string body;
        EXPECT_EQ(ReadToEnd(downloader, body), c.endResult) << c.name;
        EXPECT_EQ(body, c.body) << c.name;
    }
    downloader.Finish();
    server.Finish();
    EXPECT_EQ(server.Received(0), c.request) << c.name;
}

uint32_t g_clockNow = 0;
uint32_t SecondPerReading()
{
    return g_clockNow += 1000;
}

}  // namespace

TEST(HttpDownloader, ExchangesWithADirectServer)
{
    const std::string range10 =
        "GET /files/package.bin HTTP/1.1\r\nHost: files.quorvalent.test\r\nRange: bytes=10-\r\n\r\n";
    const std::string chunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: anything\r\n\r\n";
    const Exchange cases[] = {
        {"sized body", kUrl, 0, kHello, false, kRequest, 0, 0, "hello", -1},
        {"bare host asks for /", "http://files.quorvalent.test", 0, kHello, false,
         "GET / HTTP/1.1\r\nHost: files.quorvalent.test\r\n\r\n", 0, 0, "hello", -1},
        {"scheme in any case, query kept", "HTTP://files.quorvalent.test/get?a=1&b=/c", 0, kHello, false,
         "GET /get?a=1&b=/c HTTP/1.1\r\nHost: files.quorvalent.test\r\n\r\n", 0, 0, "hello", -1},
        {"URL ends at a line break", "http://files.quorvalent.test/x\r\nInjected: 1", 0, kHello, false,
         "GET /x HTTP/1.1\r\nHost: files.quorvalent.test\r\n\r\n", 0, 0, "hello", -1},
        {"resumed with Content-Range", kUrl, 10,
         "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 10-14/15\r\nContent-Length: 5\r\n\r\nhello",
         false, range10, 0, 10, "hello", -1},
        {"resume refused: whole file", kUrl, 10, kHello, false, range10, 0, 0, "hello", -1},
        {"header names in any case", kUrl, 0, "HTTP/1.1 200 OK\r\ncontent-LENGTH: 5\r\n\r\nhello", false,
         kRequest, 0, 0, "hello", -1},
        {"Content-Length without its space", kUrl, 0, "HTTP/1.1 200 OK\r\nContent-Length:5\r\n\r\nhello",
         false, kRequest, -3, 0, "", 0},
        {"no Content-Length", kUrl, 0, "HTTP/1.1 200 OK\r\n\r\nhello", false, kRequest, -3, 0, "", 0},
        {"Content-Length 0", kUrl, 0, "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", false, kRequest, -3,
         0, "", 0},
        {"Content-Length past 32 bits", kUrl, 0, "HTTP/1.1 200 OK\r\nContent-Length: 4294967301\r\n\r\n",
         false, kRequest, -3, 0, "", 0},
        {"resume offset plus length past 32 bits", kUrl, 10,
         "HTTP/1.1 206 Partial\r\nContent-Range: x\r\nContent-Length: 4294967290\r\n\r\n", false, range10,
         -3, 0, "", 0},
        {"chunked body", kUrl, 0, chunkedHead + "5\r\nhello\r\n6;ext=1\r\n world\r\n0\r\n\r\n", false,
         kRequest, 0, 0, "hello world", -1},
        {"first chunk empty", kUrl, 0, chunkedHead + "0\r\n\r\n", false, kRequest, -3, 0, "", 0},
        {"chunk size not a number", kUrl, 0, chunkedHead + "zz\r\nhello\r\n", false, kRequest, -3, 0, "", 0},
        {"chunk size past 32 bits", kUrl, 0, chunkedHead + "100000000\r\n", false, kRequest, -3, 0, "", 0},
        {"chunk longer than its size", kUrl, 0, chunkedHead + "3\r\nhello\r\n0\r\n\r\n", false, kRequest,
         0, 0, "hel", -3},
        {"not found", kUrl, 0, "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!", false, kRequest,
         -404, 0, "", 0},
        {"status not a number", kUrl, 0, "HTTP/1.1 OK\r\n\r\n", false, kRequest, -3, 0, "", 0},
        {"redirect without Location", kUrl, 0, "HTTP/1.1 302 Found\r\nContent-Length: 0\r\n\r\n", false,
         kRequest, -3, 0, "", 0},
        {"relative redirect", kUrl, 0, "HTTP/1.1 301 Moved\r\nLocation: /elsewhere\r\n\r\n", false,
         kRequest, -3, 0, "", 0},
        {"407 without a proxy", kUrl, 0, k407Basic, false, kRequest, -407, 0, "", 0},
        {"cut in the status line", kUrl, 0, "HTTP/1.1 20", true, kRequest, -1, 0, "", 0},
        {"cut in a header", kUrl, 0, "HTTP/1.1 200 OK\r\nContent-Le", true, kRequest, -1, 0, "", 0},
        {"cut in the body", kUrl, 0, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello", true, kRequest,
         0, 0, "hello", -1},
        {"longest header line that fits", kUrl, 0,
         "HTTP/1.1 200 OK\r\n" + PaddedLine("Content-Length: 5", 1023) + "\r\nhello", false, kRequest, 0, 0,
         "hello", -1},
        {"header line too long is dropped, not cut", kUrl, 0,
         "HTTP/1.1 200 OK\r\n" + PaddedLine("Content-Length: 5", 1024) + "\r\nhello", false, kRequest, -3, 0,
         "", 0},
        // The tail of an over-long line is no line of its own: here it would
        // look like the end of the headers.
        {"tail of a long line is no header end", kUrl, 0,
         "HTTP/1.1 200 OK\r\n" + PaddedLine("X-Pad: ", 1025) + "Content-Length: 5\r\n\r\nhello", false,
         kRequest, 0, 0, "hello", -1},
        {"line of three buffers leaves the next header alone", kUrl, 0,
         "HTTP/1.1 200 OK\r\n" + PaddedLine("X-Pad: ", 3000) + "Content-Length: 5\r\n\r\nhello", false,
         kRequest, 0, 0, "hello", -1},
        {"endless headers", kUrl, 0,
         "HTTP/1.1 200 OK\r\n" + [] {
             std::string lines;
             for (int i = 0; i < 1100; ++i)
                 lines += PaddedLine("X-Filler: ", 64);
             return lines;
         }(),
         false, kRequest, -3, 0, "", 0},
    };
    WinsockSession winsock;
    UseNoProxy();
    for (const Exchange& c : cases)
        RunExchange(c);
}

TEST(HttpDownloader, FollowsOneRedirectWithTheSameRangeWhenAllowed)
{
    const std::string moved = "HTTP/1.1 302 Found\r\nLocation: http://mirror.quorvalent.test/other/file\r\n"
                              "Content-Length: 0\r\n\r\n";
    struct Case {
        const char* name;
        bool allowed;
        std::string mirrorReply;
        int32_t result;
    };
    const Case cases[] = {
        {"one redirect is followed", true,
         "HTTP/1.1 206 Partial\r\nContent-Range: bytes 7-11/12\r\nContent-Length: 5\r\n\r\nworld", 0},
        {"a second redirect fails", true, moved, -3},
        {"no redirect when none is allowed", false, kHello, -3},
    };
    WinsockSession winsock;
    UseNoProxy();
    for (const Case& c : cases) {
        ScriptedPeer files(kFilesAddress, 80, {{ReceiveHeaders(), Send(moved), WaitForClose()}});
        ScriptedPeer mirror(kMirrorAddress, 80, {{ReceiveHeaders(), Send(c.mirrorReply), WaitForClose()}});
        HttpDownloader downloader;
        downloader.SetUrl(kUrl);
        downloader.SetResumeOffset(7);
        EXPECT_EQ(downloader.SendRequest(c.allowed), c.result) << c.name;
        std::string body;
        if (c.result == 0) {
            EXPECT_EQ(downloader.GetPosition(), 7u) << c.name;
            EXPECT_EQ(ReadToEnd(downloader, body), -1) << c.name;
            EXPECT_EQ(body, "world") << c.name;
        }
        downloader.Finish();
        files.Finish();
        mirror.Finish(c.allowed ? 10000 : 0);
        EXPECT_EQ(mirror.Received(0),
                  c.allowed ? "GET /other/file HTTP/1.1\r\nHost: mirror.quorvalent.test\r\nRange: bytes=7-\r\n\r\n"
                            : "")
            << c.name;
    }
}

TEST(HttpDownloader, AuthenticatesOnceWithTheProxy)
{
    const std::string digest =
        "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Digest x\r\n\r\n";
    struct Case {
        const char* name;
        const char* user;
        const char* password;
        uint32_t resumeOffset;
        std::string firstReply;
        std::string secondReply;
        std::string secondRequest;
        int32_t result;
    };
    const Case cases[] = {
        {"credentials accepted", "user", "secret", 0, k407Basic, kHello,
         "GET http://files.quorvalent.test/files/package.bin HTTP/1.1\r\nHost: files.quorvalent.test\r\n"
         "Proxy-Authorization: Basic dXNlcjpzZWNyZXQ=\r\n\r\n",
         0},
        {"empty credentials are still sent", "", "", 0, k407Basic, kHello,
         "GET http://files.quorvalent.test/files/package.bin HTTP/1.1\r\nHost: files.quorvalent.test\r\n"
         "Proxy-Authorization: Basic Og==\r\n\r\n",
         0},
        {"range comes before the authorisation", "user", "secret", 5, k407Basic,
         "HTTP/1.1 206 Partial\r\nContent-Range: bytes 5-9/10\r\nContent-Length: 5\r\n\r\nhello",
         "GET http://files.quorvalent.test/files/package.bin HTTP/1.1\r\nHost: files.quorvalent.test\r\n"
         "Range: bytes=5-\r\nProxy-Authorization: Basic dXNlcjpzZWNyZXQ=\r\n\r\n",
         0},
        {"credentials refused again: no third try", "user", "wrong", 0, k407Basic, k407Basic,
         "GET http://files.quorvalent.test/files/package.bin HTTP/1.1\r\nHost: files.quorvalent.test\r\n"
         "Proxy-Authorization: Basic dXNlcjp3cm9uZw==\r\n\r\n",
         -3},
        {"refusal without Basic is malformed", "user", "secret", 0, digest, kHello, "", -3},
    };
    WinsockSession winsock;
    for (const Case& c : cases) {
        UseHttpProxy("proxy.quorvalent.test", kProxyPort, c.user, c.password);
        ScriptedPeer proxy(kProxyAddress, kProxyPort,
                           {{ReceiveHeaders(), Send(c.firstReply), WaitForClose()},
                            {ReceiveHeaders(), Send(c.secondReply), WaitForClose()},
                            {ReceiveHeaders(), Send(k407Basic), WaitForClose()}});
        HttpDownloader downloader;
        downloader.SetUrl(kUrl);
        downloader.SetResumeOffset(c.resumeOffset);
        EXPECT_EQ(downloader.SendRequest(true), c.result) << c.name;
        downloader.Finish();
        proxy.Finish(500);
        std::string firstRequest = kProxyRequest;
        if (c.resumeOffset)
            firstRequest.insert(firstRequest.size() - 2, "Range: bytes=5-\r\n");
        EXPECT_EQ(proxy.Received(0), firstRequest) << c.name;
        EXPECT_EQ(proxy.Received(1), c.secondRequest) << c.name;
        EXPECT_EQ(proxy.Accepted(), c.secondRequest.empty() ? 1u : 2u) << c.name;
    }
}

TEST(HttpDownloader, RefusesUrlsAndRequestsTooLongForTheirBuffers)
{
    struct Case {
        const char* name;
        size_t hostLength;
        size_t pathLength;
        bool viaProxy;
        bool urlAccepted;
    };
    const Case cases[] = {
        {"longest host", 511, 1, false, true},
        {"host one too long", 512, 1, false, false},
        {"longest path", 20, 1025, false, true},
        {"path one too long", 20, 1026, false, false},
        {"empty host", 0, 5, false, false},
        {"request too long for its buffer", 21, 990, false, true},
        {"proxy request too long for its buffer", 300, 400, true, true},
    };
    WinsockSession winsock;
    ScriptedPeer proxy(kProxyAddress, kProxyPort, {{WaitForClose()}});
    for (const Case& c : cases) {
        if (c.viaProxy)
            UseHttpProxy("proxy.quorvalent.test", kProxyPort, "", "");
        else
            UseNoProxy();
        std::string host(c.hostLength, 'h');
        std::string url = "http://" + host + "/" + std::string(c.pathLength - 1, 'p');
        HttpDownloader downloader;
        EXPECT_EQ(downloader.SetUrl(url.c_str()), c.urlAccepted) << c.name;
        if (c.urlAccepted) {
            EXPECT_EQ(std::string(downloader.Host()), host) << c.name;
            EXPECT_EQ(std::strlen(downloader.Path()), c.pathLength) << c.name;
        }
        // Nothing is cut to fit: the request is refused before any connection.
        if (!c.urlAccepted || c.pathLength >= 990) {
            EXPECT_EQ(downloader.SendRequest(true), -3) << c.name;
        }
    }
    proxy.Finish(0);
    EXPECT_EQ(proxy.Accepted(), 0u);
}

TEST(HttpDownloader, SlowOrSilentServersEndTheDownload)
{
    WinsockSession winsock;
    UseNoProxy();
    {
        // Each clock reading moves a second on: the status line trickles
        // past the 30 s line budget long before it is complete.
        g_clockNow = 0;
        SetLineClock(SecondPerReading);
        const std::string slowStatus = "HTTP/1.1 200 " + std::string(40, 'O') + "\r\n";
        ScriptedPeer server(kFilesAddress, 80, {{ReceiveHeaders(), Trickle(slowStatus, 2), WaitForClose()}});
        HttpDownloader downloader;
        downloader.SetUrl(kUrl);
        EXPECT_EQ(downloader.SendRequest(true), kErrorLineTimeout);
        SetLineClock(nullptr);
    }
    {
        TransportTimeLimits saved = CurrentTransportTimeLimits();
        SetTransportTimeLimits({30000, 300});
        ScriptedPeer server(kFilesAddress, 80,
                            {{ReceiveHeaders(), Send("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc"), WaitForClose()}});
        HttpDownloader downloader;
        downloader.SetUrl(kUrl);
        EXPECT_EQ(downloader.SendRequest(true), 0);
        std::string body;
        EXPECT_EQ(ReadToEnd(downloader, body), kErrorLineTimeout);
        EXPECT_EQ(body, "abc");
        SetTransportTimeLimits(saved);
    }
}

TEST(HttpDownloader, ReadFullyFillsTheBufferFromPieces)
{
    WinsockSession winsock;
    UseNoProxy();
    ScriptedPeer server(kFilesAddress, 80,
                        {{ReceiveHeaders(), Send("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n"),
                          Trickle("0123456789abcdefghij", 1), WaitForClose()}});
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
