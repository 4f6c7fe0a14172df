// The whole update service exchange (RunUpdateExchange) against a service
// whose every byte is the input. The service is a loopback server on the
// address the service's name resolves to in the test's namespace (see
// tests/support/net-hosts): the exchange reads the messages through its
// real connection, time limit and all. The nonces are known (the
// generator is seeded the same way each run), so the fuzzer can learn the
// proofs from the comparisons. A package location leads to a download that
// finds no server.
#include "fuzz/fuzz_target.h"
#include "tests/support/memory_peer.h"

#include "app/installer_app.h"
#include "net/http_downloader.h"
#include "net/proxy_settings.h"
#include "service/random.h"
#include "service/service_message.h"
#include "service/update_exchange.h"

#include <windows.h>

#include <cstdlib>
#include <mutex>
#include <string>

namespace {

const char kTarget[] = "service-exchange";
const char kServiceAddress[] = "127.0.0.40";
const uint32_t kSeed = 5489;
// shutdown's "no more sends" (SD_SEND, which only the Winsock 2 headers name).
const int kShutdownSend = 1;

// Serves one connection after another: the first after each Offer gets the
// offered bytes, later ones none; each ends with the service's close of its
// sending side, and the server then waits for the client's close, so no
// unread byte turns the close into a reset.
class LoopbackService {
public:
    LoopbackService()
    {
        WSADATA wsa;
        WSAStartup(MAKEWORD(1, 1), &wsa);
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(service_message::kServicePort);
        address.sin_addr.s_addr = inet_addr(kServiceAddress);
        BOOL reuse = TRUE;
        setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
        if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener, 8) != 0)
            FuzzFailed(kTarget, "the loopback service cannot listen (no test namespace?)");
        // A Windows thread: Winsock calls need one that Wine made.
        CloseHandle(CreateThread(nullptr, 0, ServeThread, this, 0, nullptr));
    }

    void Offer(const uint8_t* data, size_t size)
    {
        std::lock_guard<std::mutex> hold(lock);
        offered.assign(reinterpret_cast<const char*>(data), size);
        pending = true;
    }

private:
    static DWORD WINAPI ServeThread(void* service)
    {
        static_cast<LoopbackService*>(service)->Serve();
        return 0;
    }

    void Serve()
    {
        for (;;) {
            SOCKET client = accept(listener, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                continue;
            std::string bytes;
            {
                std::lock_guard<std::mutex> hold(lock);
                if (pending)
                    bytes.swap(offered);
                pending = false;
            }
            for (size_t at = 0; at < bytes.size();) {
                int sent = send(client, bytes.data() + at, int(bytes.size() - at), 0);
                if (sent <= 0)
                    break;
                at += size_t(sent);
            }
            shutdown(client, kShutdownSend);
            char drain[512];
            while (recv(client, drain, sizeof drain, 0) > 0) {
            }
            closesocket(client);
        }
    }

    SOCKET listener;
    std::mutex lock;
    std::string offered;
    bool pending = false;
};

MemoryPeer g_noServer;

Connection* MakeDeadConnection() { return new MemoryConnection(g_noServer); }

}  // namespace

void FuzzServiceExchange(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return;
    // Redirects name any address: only a namespace whose one network is its
    // own loopback keeps them from leaving the machine.
    static bool isolated = std::getenv("QV_IN_TEST_NAMESPACE") != nullptr;
    if (!isolated)
        FuzzFailed(kTarget, "runs only in a test namespace (QV_HOSTS, see tests/support/run-in-prefix)");
    static LoopbackService service;
    ProxySettings& settings = ProxySettings::Instance();
    settings.SetHttpEnabled(false);
    settings.SetSocksEnabled(false);
    SetHttpConnectionMaker(MakeDeadConnection);
    g_noServer.Reset(nullptr, 0);
    service.Offer(data, size);
    SeedRandom(kSeed);
    theApp.m_nOutcome = OutcomeNone;
    theApp.RunUpdateExchange();
    SetHttpConnectionMaker(nullptr);
    FUZZ_EXPECT(kTarget, theApp.m_pConnection == nullptr);
    // Nothing is installed from a service whose package cannot be fetched.
    FUZZ_EXPECT(kTarget, theApp.m_nOutcome >= OutcomeServiceUnavailable && theApp.m_nOutcome <= OutcomeFailed);
}

void SeedServiceExchange(std::vector<std::string>& out)
{
    namespace sm = service_message;
    SeedRandom(kSeed);
    uint32_t nonce = NextRandom();
    uint32_t proof = sm::HandshakeTransform(nonce);
    auto words = [](uint32_t type, std::initializer_list<uint32_t> list) {
        uint32_t values[4];
        uint32_t count = 0;
        for (uint32_t w : list)
            values[count++] = w;
        uint8_t bytes[sm::kHeaderSize + 16];
        size_t length = sm::EncodeWords(type, values, count, bytes);
        return std::string(reinterpret_cast<const char*>(bytes), length);
    };
    std::string challenge = words(sm::kChallenge, {0, 9, proof, 0xCAFEF00Du});
    const char url[] = "http://files.quorvalent.test/quorvalent.pkg";
    uint8_t location[sm::kHeaderSize + 256];
    size_t length = sm::EncodePackageLocation(url, sizeof url - 1, location);
    out.push_back(challenge + std::string(reinterpret_cast<const char*>(location), length));
    out.push_back(words(sm::kPreamble, {5}) + challenge + words(sm::kNoUpdate, {}));
    out.push_back(words(sm::kRedirect, {proof, 0x7F000029u}));
    out.push_back(words(sm::kServiceUnavailable, {}));
    out.push_back(challenge + words(sm::kManualUpdate, {}));
}
