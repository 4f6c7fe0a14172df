// The whole update service exchange (RunUpdateExchange) against a service
// whose every byte is the input, read through in-memory connections: a
// redirect's connection goes on where the last one stopped. The nonces are
// known (the generator is seeded the same way each run), so the fuzzer can
// learn the proofs from the comparisons. A package location leads to a
// download that finds no server.
#include "fuzz/fuzz_target.h"
#include "tests/support/memory_peer.h"

#include "app/installer_app.h"
#include "net/http_downloader.h"
#include "net/proxy_settings.h"
#include "service/random.h"
#include "service/service_message.h"
#include "service/update_exchange.h"

namespace {

const char kTarget[] = "service-exchange";
const uint32_t kSeed = 5489;

}  // namespace

void FuzzServiceExchange(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return;
    ProxySettings& settings = ProxySettings::Instance();
    settings.SetHttpEnabled(false);
    settings.SetSocksEnabled(false);
    g_servicePeer.Reset(data, size);
    g_webPeer.Script({});
    SetServiceConnectionMaker(MakeServiceConnection);
    SetHttpConnectionMaker(MakeWebConnection);
    SeedRandom(kSeed);
    theApp.m_nOutcome = OutcomeNone;
    theApp.RunUpdateExchange();
    SetHttpConnectionMaker(nullptr);
    SetServiceConnectionMaker(nullptr);
    FUZZ_EXPECT(kTarget, theApp.m_pConnection == nullptr);
    // Nothing is installed from a service whose package cannot be fetched.
    FUZZ_EXPECT(kTarget,
                theApp.m_nOutcome >= OutcomeServiceUnavailable && theApp.m_nOutcome <= OutcomeFailed);
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
        for (uint32_t w : list) values[count++] = w;
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
