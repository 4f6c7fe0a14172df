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

uint32_t g_messageTimeLimitMs = 30000;

// Waits until the connection has bytes to read, or fails with -255 once the
// message's time, counted from start, is up.
void WaitForBytes(TcpConnection& connection, uint32_t start)
{
    uint32_t elapsed = MilliClock() - start;
    if (elapsed >= g_messageTimeLimitMs)
        throw ErrorCode(kErrorLineTimeout);
    uint32_t remaining = g_messageTimeLimitMs - elapsed;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(connection.socketHandle, &readable);
    timeval timeout;
    timeout.tv_sec = static_cast<long>(remaining / 1000);
    timeout.tv_usec = static_cast<long>(remaining % 1000 * 1000);
    // A select error is left to the receive, which reports the socket's own.
    if (select(0, &readable, nullptr, nullptr, &timeout) == 0)
        throw ErrorCode(kErrorLineTimeout);
}

// ReadExactly within the message's time.
void ReadExactlyWithin(TcpConnection& connection, uint8_t* buffer, uint32_t length, uint32_t start)
{
    uint32_t done = 0;
    while (done < length) {
        WaitForBytes(connection, start);
        done += connection.Read(buffer + done, length - done);
    }
}

// A word the message must carry; a body too short for it is a protocol error.
uint32_t RequiredWord(const sm::Message& message, uint32_t index)
{
    uint32_t value = 0;
    if (!sm::BodyWord(message, index, &value))
        throw ErrorCode(kErrorMalformed);
    return value;
}

void SendWords(TcpConnection& connection, uint32_t type, const uint32_t* words, uint32_t count)
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

uint32_t ServiceMessageTimeLimit() { return g_messageTimeLimitMs; }

void SetServiceMessageTimeLimit(uint32_t ms) { g_messageTimeLimitMs = ms; }

void ReadServiceMessage(TcpConnection& connection, sm::Message* message)
{
    uint32_t start = MilliClock();
    uint8_t header[sm::kHeaderSize];
    ReadExactlyWithin(connection, header, sizeof header, start);
    if (!sm::DecodeHeader(header, message))
        throw ErrorCode(kErrorMalformed);
    ReadExactlyWithin(connection, message->body, message->length, start);
}

UpdateExchange::UpdateExchange(ProgressSink* sink, TcpConnection** connectionSlot)
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
            connection = new TcpConnection();
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
