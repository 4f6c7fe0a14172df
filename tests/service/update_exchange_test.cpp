#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "net/milli_clock.h"
#include "service/random.h"
#include "service/service_message.h"
#include "service/update_exchange.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"

#include <string>
#include <vector>

namespace {

// The update service's name resolves here (support/net-hosts); redirects
// in these tests lead to the second address.
const char kService[] = "127.0.0.40";
const char kOtherService[] = "127.0.0.41";
const uint16_t kPort = 16000;
const uint32_t kSeed = 5489;

// The transform worked out here on its own, not with the code under test.
uint32_t Proof(uint32_t x)
{
    uint64_t y = x ^ 0x6D4B1E73u;
    return static_cast<uint32_t>(y % 27941u + y);
}

std::string Word(uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string Header(uint32_t type, uint32_t length) { return Word(type) + Word(length); }

std::string Words(uint32_t type, const std::vector<uint32_t>& words)
{
    std::string body;
    for (uint32_t w : words)
        body += Word(w);
    return Header(type, static_cast<uint32_t>(body.size())) + body;
}

std::string Location(const std::string& url)
{
    return Header(78, static_cast<uint32_t>(url.size() + 1)) + char(url.size()) + url;
}

// The nonces that the next connections will draw; the generator is seeded
// so that they are known before the exchange runs.
std::vector<uint32_t> NextNonces(size_t count)
{
    SeedRandom(kSeed);
    std::vector<uint32_t> nonces;
    for (size_t i = 0; i < count; ++i)
        nonces.push_back(NextRandom());
    SeedRandom(kSeed);
    return nonces;
}

std::string Request(uint32_t nonce) { return Words(180, {2, 134, nonce}); }

std::string Challenge(uint32_t nonce, uint32_t challenge) { return Words(84, {0, 9, Proof(nonce), challenge}); }

int32_t RunExchange()
{
    UseNoProxy();
    theApp.m_nOutcome = OutcomeNone;
    theApp.RunUpdateExchange();
    EXPECT_EQ(theApp.m_pConnection, nullptr);
    return theApp.m_nOutcome;
}

}  // namespace

TEST(UpdateExchange, GeneratorAndTransformMatchTheirDefinitions)
{
    SeedRandom(5489);
    EXPECT_EQ(NextRandom(), 3499211612u);
    for (uint32_t x : {0u, 1u, 0x6D4B1E73u, 0x92B4E18Cu, 0xFFFFFFFFu, 123456789u})
        EXPECT_EQ(service_message::HandshakeTransform(x), Proof(x)) << x;
}

TEST(UpdateExchange, AnswersOfOneServiceEndInTheirOutcomes)
{
    WinsockSession winsock;
    const uint32_t challenge = 0xCAFEF00Du;
    const std::string answer = Words(272, {Proof(challenge)});
    const struct {
        const char* label;
        std::string firstReply;  // after the request
        std::string finalReply;  // after the challenge answer; empty: none expected
        int32_t outcome;
    } cases[] = {
        {"one type 1 is skipped", Words(1, {5}), Words(58, {}), OutcomeUpdatesUnavailable},
        {"a second type 1 is not", Words(1, {}) + Words(1, {}), "", OutcomeFailed},
        {"unavailable", Words(54, {}), "", OutcomeServiceUnavailable},
        {"manual", "", Words(124, {}), OutcomeManualUpdate},
        {"location without URL", "", Location(""), OutcomeUpdatesUnavailable},
        {"full body of 1024", "", Header(58, 1024) + std::string(1024, 'x'), OutcomeUpdatesUnavailable},
        {"body of 1025", "", Header(58, 1025) + std::string(1025, 'x'), OutcomeFailed},
        {"unknown final type", "", Words(79, {}), OutcomeFailed},
        {"unknown first type", Words(85, {0, 9, 0, 0}), "", OutcomeFailed},
        {"location body empty", "", Header(78, 0), OutcomeFailed},
        {"location longer than its body", "", Header(78, 5) + char(10) + "http", OutcomeFailed},
        {"location with a NUL", "", Location(std::string("http://a\0b", 10)), OutcomeFailed},
        {"challenge of three words", Words(84, {0, 9, 0}), "", OutcomeFailed},
        {"redirect of one word", Words(3, {0}), "", OutcomeFailed},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> nonce = NextNonces(1);
        std::string first = c.firstReply.empty() ? Challenge(nonce[0], challenge) : c.firstReply;
        if (c.label == std::string("one type 1 is skipped"))
            first += Challenge(nonce[0], challenge);
        PeerScript script = {Receive(20), Send(first)};
        if (!c.finalReply.empty())
            script.insert(script.end(), {Receive(12), Send(c.finalReply)});
        script.push_back(WaitForClose());
        ScriptedPeer peer(kService, kPort, {script});
        ASSERT_TRUE(peer.Listening());
        uint32_t start = MilliClock();
        EXPECT_EQ(RunExchange(), c.outcome) << c.label;
        // A length over the bound is refused before its body is awaited.
        EXPECT_LT(MilliClock() - start, 10000u) << c.label;
        EXPECT_TRUE(peer.Finish()) << c.label;
        std::string expected = Request(nonce[0]) + (c.finalReply.empty() ? "" : answer);
        EXPECT_EQ(peer.Received(0), expected) << c.label;
    }
}

TEST(UpdateExchange, WrongProofsAreRefusedAndNothingIsAnswered)
{
    WinsockSession winsock;
    std::vector<uint32_t> nonce = NextNonces(1);
    for (const std::string& reply : {Words(84, {0, 9, Proof(nonce[0]) + 1, 77}),
                                     Words(3, {Proof(nonce[0]) ^ 1, 0x7F000029u})}) {
        NextNonces(1);
        ScriptedPeer peer(kService, kPort, {{Receive(20), Send(reply), WaitForClose()}});
        ScriptedPeer other(kOtherService, kPort, {{WaitForClose()}});
        EXPECT_EQ(RunExchange(), OutcomeFailed);
        peer.Finish();
        EXPECT_EQ(peer.Received(0), Request(nonce[0]));
        other.Finish(100);
        EXPECT_EQ(other.Accepted(), 0u);
    }
}

TEST(UpdateExchange, RedirectsLeadToTheNamedAddressWithANewNonceUpToTen)
{
    WinsockSession winsock;
    std::vector<uint32_t> nonces = NextNonces(12);
    // Ten redirects are followed; the service at the end of them answers.
    for (uint32_t redirects : {1u, 10u, 11u}) {
        NextNonces(1);
        std::vector<PeerScript> hops;
        for (uint32_t i = 0; i < redirects; ++i) {
            // 127.0.0.41 sends the client back to 127.0.0.40 and the other way round.
            uint32_t next = i % 2 == 0 ? 0x7F000029u : 0x7F000028u;
            hops.push_back({Receive(20), Send(Words(3, {Proof(nonces[i]), next})), WaitForClose()});
        }
        hops.push_back({Receive(20), Send(Challenge(nonces[redirects], 5)), Receive(12), Send(Words(58, {}))});
        std::vector<PeerScript> first, second;
        for (size_t i = 0; i < hops.size(); ++i)
            (i % 2 == 0 ? first : second).push_back(hops[i]);
        ScriptedPeer peer(kService, kPort, first);
        ScriptedPeer other(kOtherService, kPort, second);
        int32_t expected = redirects <= kMaxRedirects ? OutcomeUpdatesUnavailable : OutcomeFailed;
        EXPECT_EQ(RunExchange(), expected) << redirects;
        peer.Finish(500);
        other.Finish(500);
        EXPECT_EQ(peer.Accepted() + other.Accepted(), std::min(redirects, kMaxRedirects) + 1) << redirects;
        EXPECT_EQ(other.Received(0).substr(0, 20), Request(nonces[1])) << redirects;
    }
}

TEST(UpdateExchange, ASilentOrTricklingServiceCannotHoldTheWorker)
{
    WinsockSession winsock;
    uint32_t savedLimit = ServiceMessageTimeLimit();
    SetServiceMessageTimeLimit(1000);
    std::vector<uint32_t> nonce = NextNonces(1);
    const std::vector<PeerScript> scripts[] = {
        {{Receive(20), WaitForClose()}},
        // Every byte comes well within the limit, the whole message does not.
        {{Receive(20), Trickle(Challenge(nonce[0], 1), 150), WaitForClose()}},
    };
    for (const auto& script : scripts) {
        NextNonces(1);
        ScriptedPeer peer(kService, kPort, script);
        uint32_t start = MilliClock();
        EXPECT_EQ(RunExchange(), OutcomeFailed);
        uint32_t elapsed = MilliClock() - start;
        EXPECT_GE(elapsed, 900u);
        EXPECT_LT(elapsed, 10000u);
    }
    SetServiceMessageTimeLimit(savedLimit);
}

TEST(UpdateExchange, NoServiceAtAllIsAFailure)
{
    WinsockSession winsock;
    EXPECT_EQ(RunExchange(), OutcomeFailed);
}

TEST(UpdateExchange, ALocationOf255CharactersIsFetchedWhole)
{
    WinsockSession winsock;
    std::string prefix = "http://files.quorvalent.test/";
    std::string path = "/" + std::string(255 - prefix.size(), 'p');
    std::string url = prefix + path.substr(1);
    ASSERT_EQ(url.size(), 255u);
    std::vector<uint32_t> nonce = NextNonces(1);
    ScriptedPeer service(kService, kPort,
                         {{Receive(20), Send(Challenge(nonce[0], 3)), Receive(12), Send(Location(url))}});
    ScriptedPeer web("127.0.0.10", 80, {{ReceiveHeaders()}});
    // The web server closes without an answer: the download fails.
    EXPECT_EQ(RunExchange(), OutcomeFailed);
    web.Finish();
    EXPECT_EQ(web.Received(0).substr(0, path.size() + 15), "GET " + path + " HTTP/1.1\r\n") << web.Received(0);
}
