// HttpDownloader: fetches one file over HTTP/1.1 with a single GET, directly
// or through the HTTP proxy of ProxySettings (with Basic authentication when
// the proxy asks for it), following one redirect, resuming from a byte offset,
// with bodies sized by Content-Length or sent in chunks. The body goes
// straight from the socket into the caller's buffer. Used by the package
// download on the update worker thread only; it reports no progress.
#pragma once

// First: winsock.h must come before the C library's own select declarations.
#include "net/tcp_connection.h"

#include <cstdint>
#include <memory>

// Makes the connection of each request. Tests of the parsing install one that
// answers from memory; null (the default) makes TcpConnections.
typedef Connection* (*HttpConnectionMaker)();
void SetHttpConnectionMaker(HttpConnectionMaker maker);

class HttpDownloader {
public:
    static const uint32_t kHostCapacity = 512;
    static const uint32_t kPathCapacity = 1026;
    static const uint32_t kRequestCapacity = 1024;
    static const uint32_t kLineCapacity = 1024;

    // Throws -3 when no socket can be created.
    HttpDownloader();
    virtual ~HttpDownloader();

    // Takes host and path from an "http://" URL (the scheme in any letter
    // case, or left out); the URL ends at its first line break, and a URL
    // without a path asks for "/". A URL whose host is empty or longer than
    // 511 characters, or whose path is longer than 1025, is refused: false,
    // and the next request fails with -3.
    bool SetUrl(const char* url);
    // The first byte to ask for; 0 asks for the whole file.
    void SetResumeOffset(uint32_t offset);
    // Connects, sends the request, reads the status and headers and prepares
    // the body, following one redirect and sending the proxy credentials
    // once for each host asked. 0 when the body is ready; otherwise -1 (no
    // connection or the server closed it), -2 (cancelled), -3 (malformed or
    // refused answer, a second redirect, a 407 that cannot be retried or a
    // second 407 for a host after the credentials were sent, a request too
    // long for its buffer), -255 (a line took longer than 30 000 ms), minus
    // an HTTP status, or a positive socket error.
    int32_t SendRequest(bool redirectAllowed);
    // The file position of the next body byte: right after SendRequest, the
    // resume offset when the server resumed and 0 when the whole file follows.
    uint32_t GetPosition() const { return response.position; }
    // The first byte and the file's complete length (0 when given as "*")
    // that the response's Content-Range states; false when it carried none
    // that could be read.
    bool GetContentRange(uint32_t& first, uint32_t& length) const;
    void SetBuffer(uint8_t* destination, uint32_t length);
    // The next body bytes, at most length of them (one receive): the count,
    // or -1 once the body is complete or the server closed the connection,
    // or another negative error. In the idle state it sends the request
    // first (redirects allowed) and returns its error, if any.
    int32_t Read(void* destination, uint32_t length);
    int32_t ReadIntoBuffer();
    // Fills the first count bytes of the buffer: count, or 0 when count is 0
    // or exceeds the buffer, or the first result of Read below 1.
    int32_t ReadFully(uint32_t count);
    // Ends the response and closes the connection.
    void Finish();

private:
    // What the current response has said; emptied when a request goes out.
    struct Response {
        // A 407 of the enabled HTTP proxy.
        bool authNeeded;
        // A redirect status, and a usable "Location: http://" with it.
        bool redirect;
        bool locationSeen;
        // Any Content-Range header, and one that could be read.
        bool rangeAccepted;
        bool rangeStated;
        uint32_t rangeFirst;
        uint32_t rangeLength;
        bool chunked;
        // The Content-Length, then the file position where the body ends.
        uint32_t endPosition;
        uint32_t chunkRemaining;
        // The file position of the next body byte.
        uint32_t position;
    };

    void BuildRequest(char* request);
    void BuildProxyAuthorization(char* header, uint32_t size);
    void RunAttempt(bool redirectAllowed);
    void ConnectToTarget();
    void ReadStatus(bool redirectAllowed);
    void ReadHeaders();
    void ApplyHeader(const char* line);
    void PrepareBody();
    uint32_t ReadChunkSize();
    // One line into a buffer of kLineCapacity: true when it ended there.
    // Each part costs the bytes received from budget; -3 once that is spent.
    bool ReadLinePart(char* line, uint32_t& budget);
    // ReadLinePart, then the rest of a line too long for the buffer is
    // dropped; true when the stored line is the whole line.
    bool ReadWholeLine(char* line, uint32_t& budget);

    bool responseOpen;
    // The proxy offered Basic authentication: the next request carries it.
    bool sendProxyAuth;
    uint8_t* buffer;
    uint32_t bufferLength;
    char host[kHostCapacity];
    char path[kPathCapacity];
    uint32_t resumeOffset;
    Response response;
    std::unique_ptr<Connection> connection;
};
