// HttpDownloader's status, header and chunk parsing: the input is all that
// the server (or the proxy) sends, over in-memory connections. Its first
// byte chooses how the request is made, the rest is the answer.
#include "fuzz/fuzz_target.h"
#include "tests/support/memory_peer.h"

#include "net/http_downloader.h"
#include "net/proxy_settings.h"

#include <vector>

namespace {

const char kTarget[] = "http-response";

// Bit 0: resume from an offset; bit 1: through the HTTP proxy; bit 2:
// redirects allowed.
void ChooseRoute(uint8_t choice, HttpDownloader& downloader)
{
    ProxySettings& settings = ProxySettings::Instance();
    settings.SetSocksEnabled(false);
    settings.SetHttpEnabled((choice & 2) != 0);
    settings.SetHttpHost("proxy.quorvalent.test");
    settings.SetHttpPort(3128);
    settings.SetHttpUser("user");
    settings.SetHttpPassword("secret");
    downloader.SetUrl("http://files.quorvalent.test/packages/quorvalent.pkg");
    downloader.SetResumeOffset((choice & 1) ? 1016 : 0);
}

}  // namespace

void FuzzHttpResponse(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 20))
        return;
    g_webPeer.Reset(data + 1, size - 1);
    SetHttpConnectionMaker(MakeWebConnection);
    {
        HttpDownloader downloader;
        ChooseRoute(data[0], downloader);
        int32_t result = downloader.SendRequest((data[0] & 4) != 0);
        // 407, redirect, 407 for the redirect's host, and the answer.
        FUZZ_EXPECT(kTarget, g_webPeer.connects <= 4);
        if (result == 0) {
            std::vector<uint8_t> body(64 * 1024);
            uint64_t total = 0;
            for (;;) {
                int32_t got = downloader.Read(body.data(), static_cast<uint32_t>(body.size()));
                if (got < 0)
                    break;
                FUZZ_EXPECT(kTarget, uint32_t(got) <= body.size());
                total += uint32_t(got);
                // The body comes out of the input, never more of it.
                FUZZ_EXPECT(kTarget, total <= size);
            }
        }
    }
    SetHttpConnectionMaker(nullptr);
}

void SeedHttpResponse(std::vector<std::string>& out)
{
    out.push_back(std::string("\x00", 1) + "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    out.push_back(std::string("\x01", 1) +
                  "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 1016-1020/1021\r\n"
                  "Content-Length: 5\r\n\r\nhello");
    out.push_back(
        std::string("\x00", 1) +
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;x=y\r\nhello\r\n3\r\nabc\r\n0\r\n\r\n");
    out.push_back(std::string("\x04", 1) +
                  "HTTP/1.1 302 Found\r\nLocation: http://mirror.quorvalent.test/p.pkg\r\n\r\n"
                  "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    out.push_back(
        std::string("\x02", 1) +
        "HTTP/1.0 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"q\"\r\n\r\n"
        "HTTP/1.0 200 OK\r\ncontent-length: 2\r\n\r\nok");
}
