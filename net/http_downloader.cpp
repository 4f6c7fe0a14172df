#include "net/http_downloader.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "base/error_code.h"
#include "base/text.h"
#include "net/base64.h"
#include "net/http_parse.h"
#include "net/proxy_settings.h"

namespace {

const uint16_t kHttpPort = 80;
const uint32_t kAuthCapacity = 256;
// Status and header lines together; a server that keeps sending header
// lines must not hold the download for ever.
const uint32_t kHeaderBudget = 64 * 1024;
// A chunk size line, extensions included.
const uint32_t kChunkLineBudget = 4 * 1024;

bool IsRedirect(int32_t status) { return status == 301 || status == 302 || status == 303 || status == 307; }

bool IsLineEnd(const char* line) { return std::strcmp(line, "\r\n") == 0 || std::strcmp(line, "\n") == 0; }

HttpConnectionMaker g_connectionMaker = nullptr;

Connection* MakeConnection() { return g_connectionMaker ? g_connectionMaker() : new TcpConnection; }

// snprintf that refuses, with -3, a text that would not fit its buffer
// rather than cut it.
template <typename... Arguments>
void FormatOrRefuse(char* out, uint32_t size, const char* format, Arguments... arguments)
{
    int written = std::snprintf(out, size, format, arguments...);
    if (written < 0 || static_cast<uint32_t>(written) >= size)
        throw ErrorCode(kErrorMalformed);
}

}  // namespace

void SetHttpConnectionMaker(HttpConnectionMaker maker) { g_connectionMaker = maker; }

HttpDownloader::HttpDownloader()
    : responseOpen(false),
      sendProxyAuth(false),
      buffer(nullptr),
      bufferLength(0),
      host(),
      path(),
      resumeOffset(0),
      response(),
      connection(MakeConnection())
{
}

HttpDownloader::~HttpDownloader() { Finish(); }

bool HttpDownloader::SetUrl(const char* url)
{
    host[0] = '\0';
    path[0] = '\0';
    if (StartsWithNoCase(url, "http://"))
        url += 7;
    size_t length = std::strcspn(url, "\r\n");
    const char* slash = static_cast<const char*>(std::memchr(url, '/', length));
    size_t hostLength = slash ? static_cast<size_t>(slash - url) : length;
    size_t pathLength = slash ? length - hostLength : 1;
    if (hostLength == 0 || hostLength >= kHostCapacity || pathLength >= kPathCapacity)
        return false;
    std::memcpy(host, url, hostLength);
    host[hostLength] = '\0';
    if (slash) {
        std::memcpy(path, slash, pathLength);
        path[pathLength] = '\0';
    } else {
        std::strcpy(path, "/");
    }
    return true;
}

void HttpDownloader::SetResumeOffset(uint32_t offset) { resumeOffset = offset; }

bool HttpDownloader::GetContentRange(uint32_t& first, uint32_t& length) const
{
    if (!response.rangeStated)
        return false;
    first = response.rangeFirst;
    length = response.rangeLength;
    return true;
}

void HttpDownloader::SetBuffer(uint8_t* destination, uint32_t length)
{
    buffer = destination;
    bufferLength = length;
}

void HttpDownloader::Finish()
{
    responseOpen = false;
    connection->Close();
}

void HttpDownloader::BuildProxyAuthorization(char* header, uint32_t size)
{
    header[0] = '\0';
    if (!sendProxyAuth)
        return;
    sendProxyAuth = false;
    const ProxySettings& settings = ProxySettings::Instance();
    char credentials[kAuthCapacity];
    FormatOrRefuse(credentials, sizeof credentials, "%s:%s", settings.HttpUser(), settings.HttpPassword());
    char encoded[kAuthCapacity];
    if (Base64EncodedSize(static_cast<uint32_t>(std::strlen(credentials))) > sizeof encoded)
        throw ErrorCode(kErrorMalformed);
    Base64Encode(encoded, credentials);
    FormatOrRefuse(header, size, "Proxy-Authorization: Basic %s\r\n", encoded);
}

void HttpDownloader::BuildRequest(char* request)
{
    if (host[0] == '\0')
        throw ErrorCode(kErrorMalformed);
    if (ProxySettings::Instance().HttpEnabled()) {
        char authorization[kAuthCapacity];
        BuildProxyAuthorization(authorization, sizeof authorization);
        if (resumeOffset != 0)
            FormatOrRefuse(request, kRequestCapacity,
                           "GET http://%s%s HTTP/1.1\r\nHost: %s\r\nRange: bytes=%u-\r\n%s\r\n", host, path,
                           host, resumeOffset, authorization);
        else
            FormatOrRefuse(request, kRequestCapacity, "GET http://%s%s HTTP/1.1\r\nHost: %s\r\n%s\r\n", host,
                           path, host, authorization);
    } else if (resumeOffset != 0) {
        FormatOrRefuse(request, kRequestCapacity, "GET %s HTTP/1.1\r\nHost: %s\r\nRange: bytes=%u-\r\n\r\n",
                       path, host, resumeOffset);
    } else {
        FormatOrRefuse(request, kRequestCapacity, "GET %s HTTP/1.1\r\nHost: %s\r\n\r\n", path, host);
    }
}

void HttpDownloader::ConnectToTarget()
{
    // A connection is good for one exchange: a repeated request (after a
    // redirect, a 407 or Finish) needs a new one.
    if (connection->closed)
        connection.reset(MakeConnection());
    const ProxySettings& settings = ProxySettings::Instance();
    if (settings.HttpEnabled())
        connection->ConnectVia(settings.HttpHost(), settings.HttpPort());
    else
        connection->ConnectVia(host, kHttpPort);
}

bool HttpDownloader::ReadLinePart(char* line, uint32_t& budget)
{
    connection->ReadLine(line, kLineCapacity);
    // ReadLine stops after the first line feed, so a line feed among the
    // stored bytes ends them; without one the buffer is full. NUL bytes are
    // stored like any other, so neither strlen nor a NUL tells the length.
    const char* lineFeed = static_cast<const char*>(std::memchr(line, '\n', kLineCapacity - 1));
    uint32_t received = lineFeed ? static_cast<uint32_t>(lineFeed - line) + 1 : kLineCapacity - 1;
    if (received >= budget)
        throw ErrorCode(kErrorMalformed);
    budget -= received;
    return lineFeed != nullptr;
}

bool HttpDownloader::ReadWholeLine(char* line, uint32_t& budget)
{
    bool complete = ReadLinePart(line, budget);
    // The rest of an over-long line is read and dropped, so that it is never
    // taken for a line of its own.
    char skipped[kLineCapacity];
    for (bool ended = complete; !ended;) ended = ReadLinePart(skipped, budget);
    return complete;
}

void HttpDownloader::ReadStatus(bool redirectAllowed)
{
    char line[kLineCapacity];
    uint32_t budget = kHeaderBudget;
    ReadWholeLine(line, budget);
    int32_t status = 0;
    if (!ParseStatusCode(line, status))
        throw ErrorCode(kErrorMalformed);
    if (ProxySettings::Instance().HttpEnabled() && status == 407) {
        response.authNeeded = true;
    } else if (IsRedirect(status)) {
        if (!redirectAllowed)
            throw ErrorCode(kErrorMalformed);
        response.redirect = true;
    } else if (status < 200 || status > 299) {
        throw ErrorCode(-status);
    }
}

void HttpDownloader::ApplyHeader(const char* line)
{
    if (StartsWithNoCase(line, "Content-Range:")) {
        response.rangeAccepted = true;
        uint32_t last = 0;
        response.rangeStated = ParseContentRange(line + 14, response.rangeFirst, last, response.rangeLength);
    }
    if (StartsWithNoCase(line, "Transfer-Encoding:"))
        response.chunked = true;
    if (StartsWithNoCase(line, "Content-Length: ") &&
        ParseDecimalU32(line + 16, response.endPosition) == NumberParse::kTooLarge)
        throw ErrorCode(kErrorMalformed);
    if (response.redirect && StartsWithNoCase(line, "Location: http://"))
        response.locationSeen = SetUrl(line + 17);
    if (StartsWithNoCase(line, "Proxy-Authenticate: Basic"))
        sendProxyAuth = true;
}

void HttpDownloader::ReadHeaders()
{
    uint32_t budget = kHeaderBudget;
    for (;;) {
        char line[kLineCapacity];
        bool complete = ReadWholeLine(line, budget);
        if (line[0] == '\r' && line[1] == '\n')
            return;
        // A line too long for the buffer is dropped whole: a cut Location or
        // number would name the wrong thing.
        if (complete)
            ApplyHeader(line);
    }
}

uint32_t HttpDownloader::ReadChunkSize()
{
    char line[kLineCapacity];
    uint32_t budget = kChunkLineBudget;
    ReadWholeLine(line, budget);
    uint32_t size = 0;
    if (ParseChunkSize(line, size) != NumberParse::kValue)
        throw ErrorCode(kErrorMalformed);
    return size;
}

void HttpDownloader::PrepareBody()
{
    if (response.redirect || response.authNeeded)
        throw ErrorCode(kErrorMalformed);
    responseOpen = true;
    if (response.rangeAccepted)
        response.position = resumeOffset;
    if (response.chunked) {
        response.chunkRemaining = ReadChunkSize();
        if (response.chunkRemaining == 0)
            throw ErrorCode(kErrorMalformed);
        return;
    }
    uint64_t end = static_cast<uint64_t>(response.endPosition) + response.position;
    if (response.endPosition == 0 || end > 0xFFFFFFFFull)
        throw ErrorCode(kErrorMalformed);
    response.endPosition = static_cast<uint32_t>(end);
}

void HttpDownloader::RunAttempt(bool redirectAllowed)
{
    response = Response();
    char request[kRequestCapacity];
    BuildRequest(request);
    ConnectToTarget();
    connection->WriteString(request);
    ReadStatus(redirectAllowed);
    ReadHeaders();
    PrepareBody();
}

int32_t HttpDownloader::SendRequest(bool redirectAllowed)
{
    // Credentials are sent once per host: a proxy that refuses them again
    // ends the download rather than being asked without end, and the host a
    // redirect leads to is one request of its own, which the proxy may ask
    // them for again.
    bool credentialsSent = false;
    for (;;) {
        int32_t result = 0;
        try {
            RunAttempt(redirectAllowed);
            return 0;
        } catch (ErrorCode code) {
            result = code;
        } catch (const std::bad_alloc&) {
            result = kErrorMalformed;
        }
        Finish();
        if (response.authNeeded && sendProxyAuth && !credentialsSent) {
            credentialsSent = true;
        } else if (response.redirect && response.locationSeen && redirectAllowed) {
            redirectAllowed = false;
            credentialsSent = false;
        } else {
            return result;
        }
    }
}

int32_t HttpDownloader::Read(void* destination, uint32_t length)
{
    if (!responseOpen) {
        int32_t result = SendRequest(true);
        if (result != 0)
            return result;
    }
    try {
        uint32_t available;
        if (response.chunked) {
            if (response.chunkRemaining == 0) {
                char line[kLineCapacity];
                uint32_t budget = kChunkLineBudget;
                ReadWholeLine(line, budget);
                // Anything but the line end here means the chunk held more
                // bytes than its size said.
                if (!IsLineEnd(line))
                    throw ErrorCode(kErrorMalformed);
                response.chunkRemaining = ReadChunkSize();
                if (response.chunkRemaining == 0) {
                    Finish();
                    return kErrorConnection;
                }
            }
            available = response.chunkRemaining;
        } else {
            available = response.endPosition - response.position;
            if (available == 0) {
                Finish();
                return kErrorConnection;
            }
        }
        // The count must fit the signed result and the file position.
        uint32_t limit = 0xFFFFFFFFu - response.position;
        if (limit == 0)
            throw ErrorCode(kErrorMalformed);
        uint32_t asked = available < length ? available : length;
        asked = asked < limit ? asked : limit;
        asked = asked < 0x7FFFFFFFu ? asked : 0x7FFFFFFFu;
        uint32_t received = connection->Read(destination, asked);
        response.position += received;
        if (response.chunked)
            response.chunkRemaining -= received;
        return static_cast<int32_t>(received);
    } catch (ErrorCode code) {
        Finish();
        return code < 0 ? code : kErrorConnection;
    }
}

int32_t HttpDownloader::ReadIntoBuffer() { return Read(buffer, bufferLength); }

int32_t HttpDownloader::ReadFully(uint32_t count)
{
    if (count == 0 || count > bufferLength)
        return 0;
    uint32_t done = 0;
    while (done < count) {
        int32_t result = Read(buffer + done, count - done);
        if (result < 1)
            return result;
        done += static_cast<uint32_t>(result);
    }
    return static_cast<int32_t>(count);
}
