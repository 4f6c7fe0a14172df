// The whole road of a downloaded package with the installer's own code:
// DownloadPackage from a URL, then Install into the installation folder.
// Prints the seconds of each stage (Wine's start-up left out) and the peak
// resident memory, for bench/download-road.
// Usage: quorvalent-download-bench URL PACKAGE-NUMBER
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "base/error_code.h"
#include "package/package_job.h"
#include "bench/measures.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL PACKAGE-NUMBER\n", argv[0]);
        return 2;
    }
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    unsigned before = ReadMemoryStatus("VmRSS:");
    PackageJob job(nullptr);
    double start = Seconds();
    double downloaded = start;
    ErrorCode result = 0;
    try {
        job.DownloadPackage(argv[1], uint32_t(std::strtoul(argv[2], nullptr, 10)));
        downloaded = Seconds();
        job.Install();
    } catch (ErrorCode code) {
        result = code;
    }
    double end = Seconds();
    std::printf("result: %d\n", result);
    std::printf("seconds download: %.6f install: %.6f total: %.6f\n", downloaded - start, end - downloaded,
                end - start);
    std::printf("body bytes: %u archive bytes: %u\n", job.compressedSize + job.trailingSize, job.archiveSize);
    std::printf("resident KiB before: %u peak: %u\n", before, ReadMemoryStatus("VmHWM:"));
    WSACleanup();
    return result == 0 ? 0 : 1;
}
