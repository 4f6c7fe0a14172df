// The update service exchange on the update worker: request, redirects,
// challenge and answer, final answer, then the package download and install.
#include "service/update_exchange.h"

#include "app/error_code.h"
#include "app/installer_app.h"
#include "app/web_hosts.h"
#include "net/host_address.h"
#include "net/milli_clock.h"
#include "net/tcp_connection.h"
#include "package/package_job.h"
#include "service/random.h"
#include "service/service_message.h"
#include "service/update_progress.h"
#include "ui/progress_sink.h"

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

void InstallerApp::ReadServiceMessage(sm::Message* message)
{
    uint32_t start = MilliClock();
    uint8_t header[sm::kHeaderSize];
    ReadExactlyWithin(*m_pConnection, header, sizeof header, start);
    if (!sm::DecodeHeader(header, message))
        throw ErrorCode(kErrorMalformed);
    ReadExactlyWithin(*m_pConnection, message->body, message->length, start);
}

bool InstallerApp::ExchangeForPackage(char (&url)[256], uint32_t* packageNumber)
{
    char host[64];
    std::strcpy(host, kUpdateServiceHost);
    sm::Message message;
    for (uint32_t redirects = 0;; ++redirects) {
        try {
            m_pConnection = new TcpConnection();
        } catch (...) {
            m_pConnection = nullptr;
            m_nOutcome = OutcomeNoSocket;
            return false;
        }
        m_pConnection->ConnectVia(host, sm::kServicePort);
        UpdateProgressSink(*this)->SetStatusText("Connected...", 0);
        uint32_t nonce = NextRandom();
        uint32_t request[] = {sm::kRequestWord0, sm::kRequestWord1, nonce};
        SendWords(*m_pConnection, sm::kUpdateRequest, request, 3);
        ReadServiceMessage(&message);
        if (message.type == sm::kPreamble)
            ReadServiceMessage(&message);
        if (message.type != sm::kRedirect) {
            AnswerChallenge(message, nonce, url, packageNumber);
            return true;
        }
        if (RequiredWord(message, 0) != sm::HandshakeTransform(nonce) || redirects == kMaxRedirects)
            throw ErrorCode(kErrorMalformed);
        FormatIPv4(host, RequiredWord(message, 1));
        m_pConnection->Close();
        delete m_pConnection;
        m_pConnection = nullptr;
    }
}

void InstallerApp::AnswerChallenge(sm::Message& message, uint32_t nonce, char (&url)[256],
                                   uint32_t* packageNumber)
{
    if (message.type == sm::kServiceUnavailable) {
        m_nOutcome = OutcomeServiceUnavailable;
        throw ErrorCode(kErrorCancelled);
    }
    if (message.type != sm::kChallenge)
        throw ErrorCode(kErrorMalformed);
    *packageNumber = RequiredWord(message, 1);
    if (RequiredWord(message, 2) != sm::HandshakeTransform(nonce))
        throw ErrorCode(kErrorMalformed);
    uint32_t response[] = {sm::HandshakeTransform(RequiredWord(message, 3))};
    SendWords(*m_pConnection, sm::kChallengeResponse, response, 1);
    ReadServiceMessage(&message);
    m_pConnection->Close();
    switch (message.type) {
    case sm::kManualUpdate:
        m_nOutcome = OutcomeManualUpdate;
        throw ErrorCode(kErrorCancelled);
    case sm::kNoUpdate:
        m_nOutcome = OutcomeUpdatesUnavailable;
        throw ErrorCode(kErrorCancelled);
    case sm::kPackageLocation:
        if (!TakePackageUrl(message, url)) {
            m_nOutcome = OutcomeUpdatesUnavailable;
            throw ErrorCode(kErrorCancelled);
        }
        return;
    default:
        throw ErrorCode(kErrorMalformed);
    }
}

void InstallerApp::RunUpdateExchange()
{
    PackageJob job(nullptr);
    try {
        char url[sm::kMaxUrlLength + 1] = "";
        uint32_t packageNumber = 0;
        if (ExchangeForPackage(url, &packageNumber)) {
            job.SetProgressSink(UpdateProgressSink(*this));
            job.DownloadPackage(url, packageNumber);
            job.Install();
            m_nOutcome = OutcomeInstalled;
            m_nInstalledSize = job.archiveSize;
        }
    } catch (...) {
        if (m_pConnection)
            m_pConnection->Close();
        if (m_nOutcome == OutcomeNone)
            m_nOutcome = OutcomeFailed;
    }
    delete m_pConnection;
    m_pConnection = nullptr;
}
