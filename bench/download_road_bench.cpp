// The whole road of a downloaded package with the installer's own code:
// DownloadPackage from a URL, then Install into the installation folder.
// Prints the seconds of each stage (Wine's start-up left out), the seconds
// that the signature check (done while the body arrives) costs, measured
// again on its own over the same bytes, and the peak resident memory, for
// bench/download-road.
// Usage: quorvalent-download-bench URL PACKAGE-NUMBER
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "base/error_code.h"
#include "net/proxy_settings.h"
#include "package/package_format.h"
#include "package/package_job.h"
#include "package/package_trust.h"
#include "bench/measures.h"

namespace {

// The verifier's whole work for the job's package, as DownloadPackage does it
// piece by piece: the hash of every byte before the block, then the check.
double TimeSignatureCheck(const PackageJob& job)
{
    PackageHeader header = {uint8_t(job.flags), uint16_t(job.packageNumber), job.archiveSize,
                            job.compressedSize, job.trailingSize};
    uint8_t bytes[kPackageHeaderSize];
    EncodePackageHeader(header, bytes);
    double start = Seconds();
    PackageVerifier verifier;
    verifier.Begin(bytes, job.compressedSize, job.trailingSize);
    verifier.Add(job.body, job.compressedSize + job.trailingSize);
    SignatureCheck check = verifier.Finish(*job.trust);
    double seconds = Seconds() - start;
    return check == kSignatureValid ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL PACKAGE-NUMBER\n", argv[0]);
        return 2;
    }
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    unsigned before = ReadMemoryStatus("VmRSS:");
    // The installer reads the proxy settings for its first connection, the
    // one to the update service, before any download starts.
    ProxySettings::Instance();
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
    if (result == 0 && job.trust->checksSignatures)
        std::printf("seconds signature check: %.6f\n", TimeSignatureCheck(job));
    std::printf("body bytes: %u archive bytes: %u\n", job.compressedSize + job.trailingSize, job.archiveSize);
    std::printf("resident KiB before: %u peak: %u\n", before, ReadMemoryStatus("VmHWM:"));
    WSACleanup();
    return result == 0 ? 0 : 1;
}
