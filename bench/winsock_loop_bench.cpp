// The floor under HttpDownloader: a plain Windows Sockets loop of the same
// shape (blocking socket, TCP_NODELAY, the same receive limit, one GET, then
// recv straight into a preallocated buffer) with none of the downloader's
// own code, for bench/download. Prints the bytes received, the seconds from
// the connect to the last byte and 0 (or the socket error), as
// quorvalent-net-bench does.
// Usage: quorvalent-winsock-bench URL SIZE [PIECE [untouched]]
// PIECE is the most one recv asks for; 0 (the default) asks for all the rest
// of the buffer, as HttpDownloader's ReadIntoBuffer does. "untouched" leaves
// the buffer's pages to be touched for the first time by the receives.
// Built also as a native Linux program (quorvalent-native-loop-bench).
#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#ifdef _WIN32
#include "bench/measures.h"
#else
#include "bench/posix_winsock.h"
#endif

namespace {

#ifdef _WIN32
int SetReceiveTimeout(SOCKET handle, DWORD milliseconds)
{
    return setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&milliseconds),
                      sizeof milliseconds);
}
#endif

const int kHeaderCapacity = 4096;
// As TcpConnection's default receive limit.
const DWORD kReceiveIdleMs = 60000;

struct Url {
    char host[512];
    char path[1024];
};

bool SplitUrl(const char* text, Url* url)
{
    if (std::strncmp(text, "http://", 7) == 0)
        text += 7;
    const char* slash = std::strchr(text, '/');
    size_t hostLength = slash ? size_t(slash - text) : std::strlen(text);
    if (hostLength == 0 || hostLength >= sizeof url->host ||
        (slash && std::strlen(slash) >= sizeof url->path))
        return false;
    std::memcpy(url->host, text, hostLength);
    url->host[hostLength] = '\0';
    std::strcpy(url->path, slash ? slash : "/");
    return true;
}

SOCKET ConnectTo(const char* host)
{
    hostent* entry = gethostbyname(host);
    if (!entry)
        return INVALID_SOCKET;
    SOCKET handle = socket(AF_INET, SOCK_STREAM, 0);
    if (handle == INVALID_SOCKET)
        return handle;
    int noDelay = 1;
    setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    SetReceiveTimeout(handle, kReceiveIdleMs);
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(80);
    std::memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof address.sin_addr);
    if (connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closesocket(handle);
        return INVALID_SOCKET;
    }
    return handle;
}

// Receives the status line and headers into a block of their own and copies
// the body bytes that came with them to the start of body: the count of
// those, or -1.
int ReceiveHeaders(SOCKET handle, uint8_t* body, uint32_t size)
{
    char block[kHeaderCapacity + 1];
    int held = 0;
    while (held < kHeaderCapacity) {
        int got = recv(handle, block + held, kHeaderCapacity - held, 0);
        if (got <= 0)
            return -1;
        held += got;
        block[held] = '\0';
        const char* end = std::strstr(block, "\r\n\r\n");
        if (end) {
            uint32_t extra = uint32_t(held - (end + 4 - block));
            if (extra > size)
                return -1;
            std::memcpy(body, end + 4, extra);
            return int(extra);
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: %s URL SIZE [PIECE [untouched]]\n", argv[0]);
        return 2;
    }
    Url url;
    if (!SplitUrl(argv[1], &url)) {
        std::fprintf(stderr, "not an http:// URL: %s\n", argv[1]);
        return 2;
    }
    uint32_t size = uint32_t(std::strtoul(argv[2], nullptr, 10));
    uint32_t piece = argc > 3 ? uint32_t(std::strtoul(argv[3], nullptr, 10)) : 0;
    bool touched = !(argc > 4 && std::strcmp(argv[4], "untouched") == 0);
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    std::unique_ptr<uint8_t[]> memory(new uint8_t[size]);
    if (touched)
        std::memset(memory.get(), 0, size);
    char request[1600];
    std::snprintf(request, sizeof request, "GET %s HTTP/1.1\r\nHost: %s\r\n\r\n", url.path, url.host);
    double start = Seconds();
    uint32_t received = 0;
    int result = 0;
    double headed = start;
    SOCKET handle = ConnectTo(url.host);
    if (handle == INVALID_SOCKET) {
        result = WSAGetLastError();
    } else {
        int first = -1;
        if (send(handle, request, int(std::strlen(request)), 0) != SOCKET_ERROR)
            first = ReceiveHeaders(handle, memory.get(), size);
        if (first < 0)
            result = WSAGetLastError() ? WSAGetLastError() : -1;
        else
            received = uint32_t(first);
        headed = Seconds();
        while (result == 0 && received < size) {
            uint32_t asked = size - received;
            if (piece != 0 && asked > piece)
                asked = piece;
            int got = recv(handle, reinterpret_cast<char*>(memory.get() + received), int(asked), 0);
            if (got <= 0)
                result = got == 0 ? -1 : WSAGetLastError();
            else
                received += uint32_t(got);
        }
        closesocket(handle);
    }
    double seconds = Seconds() - start;
    std::printf("%u %.6f %d %.6f\n", received, seconds, result, headed - start);
    WSACleanup();
    return received == size ? 0 : 1;
}
