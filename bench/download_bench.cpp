// Downloads one URL into memory with HttpDownloader and prints the bytes
// received, the seconds the download took (request to last byte), the
// result (0 or the error) and the seconds that the request took up to the
// first body byte (connect, request, status and header lines), for
// bench/download. Usage: quorvalent-net-bench URL SIZE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "net/http_downloader.h"
#include "net/proxy_settings.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL SIZE\n", argv[0]);
        return 2;
    }
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    uint32_t size = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    // The installer reads the proxy settings for its first connection, the
    // one to the update service, before any download starts.
    ProxySettings::Instance();
    std::unique_ptr<uint8_t[]> memory(new uint8_t[size]);
    // The caller's buffer exists before the download starts: its pages are
    // not part of what is measured.
    std::memset(memory.get(), 0, size);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    uint32_t received = 0;
    int32_t result = 0;
    LARGE_INTEGER headed = start;
    try {
        HttpDownloader downloader;
        downloader.SetUrl(argv[1]);
        result = downloader.SendRequest(true);
        QueryPerformanceCounter(&headed);
        while (result == 0 && received < size) {
            downloader.SetBuffer(memory.get() + received, size - received);
            int32_t got = downloader.ReadIntoBuffer();
            if (got < 0)
                result = got;
            else
                received += static_cast<uint32_t>(got);
        }
    } catch (ErrorCode code) {
        result = code;
    }
    QueryPerformanceCounter(&end);
    double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    double request = double(headed.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    std::printf("%u %.6f %d %.6f\n", received, seconds, result, request);
    WSACleanup();
    return received == size ? 0 : 1;
}
