// The update service exchange on the update worker: request, redirects,
// challenge and answer, final answer, then the package download and install.
#include "service/update_exchange.h"

#include "base/error_code.h"
#include "base/progress_sink.h"
#include "base/web_hosts.h"
#include "net/host_address.h"
#include "net/milli_clock.h"
#include "net/tcp_connection.h"
#include "package/package_job.h"
#include "service/random.h"
#include "service/service_message.h"

#include <cstring>

namespace sm = service_message;

static_assert(sm::kMaxUrlLength + 1 == 256, "the URL buffers hold the longest URL and its NUL");

namespace {

const uint32_t kMessageBudgetMs = 30000;

ServiceConnectionMaker g_connectionMaker = nullptr;

// A word the message must carry; a body too short for it is a protocol error.
uint32_t RequiredWord(const sm::Message& message, uint32_t index)
{
    uint32_t value = 0;
    if (!sm::BodyWord(message, index, &value))
        throw ErrorCode(kErrorMalformed);
    return value;
}

void SendWords(Connection& connection, uint32_t type, const uint32_t* words, uint32_t count)
{
    uint8_t out[sm::kHeaderSize + 4 * 4];
    size_t length = sm::EncodeWords(type, words, count, out);
    connection.Write(out, static_cast<uint32_t>(length));
}

// The URL of a PackageLocation: L bytes behind the length byte, which must
// lie inside the body and hold no NUL (which would cut the URL short).
// False for L = 0, which means no update is on offer.
bool TakePackageUrl(const sm::Message& message, char (&url)[256])
{
    if (message.length < 1)
        throw ErrorCode(kErrorMalformed);
    uint32_t length = message.body[0];
    if (length + 1 > message.length || std::memchr(message.body + 1, '\0', length))
        throw ErrorCode(kErrorMalformed);
    std::memcpy(url, message.body + 1, length);
    url[length] = '\0';
    return length != 0;
}

}  // namespace

void SetServiceConnectionMaker(ServiceConnectionMaker maker) { g_connectionMaker = maker; }

void ReadServiceMessage(Connection& connection, sm::Message* message)
{
    uint32_t start = NetClock();
    uint8_t header[sm::kHeaderSize];
    connection.ReadExactlyWithin(header, sizeof header, start, kMessageBudgetMs);
    if (!sm::DecodeHeader(header, message))
        throw ErrorCode(kErrorMalformed);
    connection.ReadExactlyWithin(message->body, message->length, start, kMessageBudgetMs);
}

UpdateExchange::UpdateExchange(ProgressSink* sink, Connection** connectionSlot)
    : sink(sink), connectionSlot(connectionSlot), connection(nullptr), outcome(OutcomeNone), installedSize(0)
{
}

UpdateExchange::~UpdateExchange() { DropConnection(); }

void UpdateExchange::DropConnection()
{
    if (connection)
        connection->Close();
    delete connection;
    connection = nullptr;
    if (connectionSlot)
        *connectionSlot = nullptr;
}

bool UpdateExchange::ExchangeForPackage(char (&url)[256], uint32_t* packageNumber)
{
    char host[64];
    std::strcpy(host, kUpdateServiceHost);
    sm::Message message;
    for (uint32_t redirects = 0;; ++redirects) {
        try {
            connection = g_connectionMaker ? g_connectionMaker() : new TcpConnection();
        } catch (...) {
            outcome = OutcomeNoSocket;
            return false;
        }
        if (connectionSlot)
            *connectionSlot = connection;
        connection->ConnectVia(host, sm::kServicePort);
        sink->SetStatusText("Connected...", 0);
        uint32_t nonce = NextRandom();
        uint32_t request[] = {sm::kRequestWord0, sm::kRequestWord1, nonce};
        SendWords(*connection, sm::kUpdateRequest, request, 3);
        ReadServiceMessage(*connection, &message);
        if (message.type == sm::kPreamble)
            ReadServiceMessage(*connection, &message);
        if (message.type != sm::kRedirect) {
            AnswerChallenge(message, nonce, url, packageNumber);
            return true;
        }
        if (RequiredWord(message, 0) != sm::HandshakeTransform(nonce) || redirects == kMaxRedirects)
            throw ErrorCode(kErrorMalformed);
        FormatIPv4(host, RequiredWord(message, 1));
        DropConnection();
    }
}

void UpdateExchange::AnswerChallenge(sm::Message& message, uint32_t nonce, char (&url)[256],
                                     uint32_t* packageNumber)
{
    if (message.type == sm::kServiceUnavailable) {
        outcome = OutcomeServiceUnavailable;
        throw ErrorCode(kErrorCancelled);
    }
    if (message.type != sm::kChallenge)
        throw ErrorCode(kErrorMalformed);
    *packageNumber = RequiredWord(message, 1);
    if (RequiredWord(message, 2) != sm::HandshakeTransform(nonce))
        throw ErrorCode(kErrorMalformed);
    uint32_t response[] = {sm::HandshakeTransform(RequiredWord(message, 3))};
    SendWords(*connection, sm::kChallengeResponse, response, 1);
    ReadServiceMessage(*connection, &message);
    connection->Close();
    switch (message.type) {
        case sm::kManualUpdate:
            outcome = OutcomeManualUpdate;
            throw ErrorCode(kErrorCancelled);
        case sm::kNoUpdate:
            outcome = OutcomeUpdatesUnavailable;
            throw ErrorCode(kErrorCancelled);
        case sm::kPackageLocation:
            if (!TakePackageUrl(message, url)) {
                outcome = OutcomeUpdatesUnavailable;
                throw ErrorCode(kErrorCancelled);
            }
            return;
        default:
            throw ErrorCode(kErrorMalformed);
    }
}

void UpdateExchange::Run()
{
    PackageJob job(nullptr);
    try {
        char url[sm::kMaxUrlLength + 1] = "";
        uint32_t packageNumber = 0;
        if (ExchangeForPackage(url, &packageNumber)) {
            job.SetProgressSink(sink);
            job.DownloadPackage(url, packageNumber);
            job.Install();
            outcome = OutcomeInstalled;
            installedSize = job.archiveSize;
        }
    } catch (...) {
        if (connection)
            connection->Close();
        if (outcome == OutcomeNone)
            outcome = OutcomeFailed;
    }
    DropConnection();
}
