#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "base/error_code.h"
#include "net/http_downloader.h"
#include "service/random.h"
#include "service/service_message.h"
#include "service/update_exchange.h"
#include "tests/support/memory_peer.h"
#include "tests/support/proxy_choice.h"

#include <string>
#include <vector>

namespace {

const std::string kService = "update.quorvalent.example:16000";
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

std::string Header(uint32_t type, uint32_t length)
{
    return Word(type) + Word(length);
}

std::string Words(uint32_t type, const std::vector<uint32_t>& words)
{
    std::string body;
    for (uint32_t w : words) body += Word(w);
    return Header(type, static_cast<uint32_t>(body.size())) + body;
}

std::string Location(const std::string& url)
{
    return Header(78, static_cast<uint32_t>(url.size() + 1)) + char(url.size()) + url;
}

// The nonce of the connection after hop redirects: each exchange seeds the
// generator the same way.
uint32_t Nonce(size_t hop)
{
    SeedRandom(kSeed);
    uint32_t nonce = NextRandom();
    while (hop-- > 0) nonce = NextRandom();
    return nonce;
}

const uint32_t kChallenge = 0xCAFEF00Du;
const std::string kAnswer = Words(272, {Proof(kChallenge)});

std::string Request(size_t hop)
{
    return Words(180, {2, 134, Nonce(hop)});
}

std::string Challenge(size_t hop)
{
    return Words(84, {0, 9, Proof(Nonce(hop)), kChallenge});
}

// One exchange with service connections that answer from g_servicePeer and
// web connections from g_webPeer. A trickling service sends a byte at a time,
// the clock moving on by trickleMs at each reading, and then falls silent.
int32_t RunExchange(std::vector<std::string> serviceReplies, uint32_t trickleMs = 0)
{
    UseNoProxy();
    ScopedNetTiming clock(trickleMs);
    g_servicePeer.Script(std::move(serviceReplies));
    g_servicePeer.largestPiece = trickleMs ? 1 : 0;
    g_servicePeer.silentAtEnd = trickleMs != 0;
    g_webPeer.Script({""});
    SetServiceConnectionMaker(MakeServiceConnection);
    SetHttpConnectionMaker(MakeWebConnection);
    SeedRandom(kSeed);
    theApp.m_nOutcome = OutcomeNone;
    theApp.RunUpdateExchange();
    SetHttpConnectionMaker(nullptr);
    SetServiceConnectionMaker(nullptr);
    EXPECT_EQ(theApp.m_pConnection, nullptr);
    return theApp.m_nOutcome;
}

}  // namespace

TEST(UpdateExchange, GeneratorAndTransformGiveTheirKnownAnswers)
{
    SeedRandom(5489);
    EXPECT_EQ(NextRandom(), 3499211612u);
    EXPECT_EQ(service_message::HandshakeTransform(0), 1833650953u);
    EXPECT_EQ(service_message::HandshakeTransform(0x92B4E18Cu), 16479u) << "the sum wraps";
}

TEST(UpdateExchange, AnswersOfOneServiceEndInTheirOutcomesWithinTheirTime)
{
    struct Case {
        const char* label;
        std::string reply;
        // The client answers the challenge, or sends nothing after its request.
        bool answered;
        int32_t outcome;
        size_t unread = 0;
        uint32_t trickleMs = 0;
    };
    const Case cases[] = {
        {"one type 1 is skipped", Words(1, {5}) + Challenge(0) + Words(58, {}), true,
         OutcomeUpdatesUnavailable},
        {"a second type 1 is not", Words(1, {}) + Words(1, {}), false, OutcomeFailed},
        {"unavailable", Words(54, {}), false, OutcomeServiceUnavailable},
        {"manual", Challenge(0) + Words(124, {}), true, OutcomeManualUpdate},
        {"location without URL", Challenge(0) + Location(""), true, OutcomeUpdatesUnavailable},
        {"full body of 1024", Challenge(0) + Header(58, 1024) + std::string(1024, 'x'), true,
         OutcomeUpdatesUnavailable},
        {"body of 1025 is refused unread", Challenge(0) + Header(58, 1025) + std::string(1025, 'x'), true,
         OutcomeFailed, 1025},
        {"unknown final type", Challenge(0) + Words(79, {}), true, OutcomeFailed},
        {"unknown first type", Words(85, {0, 9, Proof(Nonce(0)), 0}), false, OutcomeFailed},
        {"location body empty", Challenge(0) + Header(78, 0), true, OutcomeFailed},
        {"location longer than its body", Challenge(0) + Header(78, 5) + char(10) + "http", true,
         OutcomeFailed},
        {"location with a NUL", Challenge(0) + Location(std::string("http://a\0b", 10)), true, OutcomeFailed},
        {"challenge of three words", Words(84, {0, 9, Proof(Nonce(0))}), false, OutcomeFailed},
        {"wrong proof in the challenge", Words(84, {0, 9, Proof(Nonce(0)) + 1, 77}), false, OutcomeFailed},
        {"redirect of one word", Words(3, {Proof(Nonce(0))}), false, OutcomeFailed},
        {"wrong proof in the redirect: no new connection", Words(3, {Proof(Nonce(0)) ^ 1, 0x0A000001u}),
         false, OutcomeFailed},
        // A message has 30 s from its first byte on.
        {"silent after the request", "", false, OutcomeFailed, 0, 1},
        {"each message within its own time", Words(1, {5}) + Challenge(0) + Words(58, {}), true,
         OutcomeUpdatesUnavailable, 0, 1000},
        {"every byte in time, the message not", Challenge(0), false, OutcomeFailed, 10, 2000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunExchange({c.reply}, c.trickleMs), c.outcome) << c.label;
        EXPECT_EQ(g_servicePeer.size - g_servicePeer.at, c.unread) << c.label;
        EXPECT_EQ(g_servicePeer.targets, std::vector<std::string>{kService}) << c.label;
        EXPECT_EQ(g_servicePeer.sent[0], Request(0) + (c.answered ? kAnswer : "")) << c.label;
    }
    EXPECT_EQ(RunExchange({}), OutcomeFailed) << "no service at all";
    SetServiceConnectionMaker([]() -> Connection* { throw kErrorMalformed; });
    theApp.m_nOutcome = OutcomeNone;
    theApp.RunUpdateExchange();
    SetServiceConnectionMaker(nullptr);
    EXPECT_EQ(theApp.m_nOutcome, OutcomeNoSocket);
}

TEST(UpdateExchange, RedirectsLeadToTheNamedAddressWithANewNonceUpToTen)
{
    for (size_t redirects : {1u, 10u, 11u}) {
        std::vector<std::string> replies;
        std::vector<std::string> targets = {kService};
        for (size_t i = 0; i < redirects; ++i) {
            replies.push_back(Words(3, {Proof(Nonce(i)), 0x0A000001u + uint32_t(i)}));
            targets.push_back("10.0.0." + std::to_string(i + 1) + ":16000");
        }
        replies.push_back(Challenge(redirects) + Words(58, {}));
        bool followed = redirects <= kMaxRedirects;
        EXPECT_EQ(RunExchange(replies), followed ? OutcomeUpdatesUnavailable : OutcomeFailed) << redirects;
        targets.resize(followed ? redirects + 1 : kMaxRedirects + 1);
        EXPECT_EQ(g_servicePeer.targets, targets) << redirects;
        EXPECT_EQ(g_servicePeer.sent[1].substr(0, 20), Request(1)) << redirects;
    }
}

TEST(UpdateExchange, ALocationOf255CharactersIsFetchedWhole)
{
    std::string prefix = "http://files.quorvalent.test/";
    std::string path = "/" + std::string(255 - prefix.size(), 'p');
    std::string url = prefix + path.substr(1);
    ASSERT_EQ(url.size(), 255u);
    // The web server closes without an answer: the download fails.
    EXPECT_EQ(RunExchange({Challenge(0) + Location(url)}), OutcomeFailed);
    ASSERT_EQ(g_webPeer.targets, std::vector<std::string>{"files.quorvalent.test:80"});
    EXPECT_EQ(g_webPeer.sent[0].substr(0, path.size() + 15), "GET " + path + " HTTP/1.1\r\n");
}
