// The download state file as a later run finds it: whatever bytes a cut
// write, a full disk or another program left. What is taken over must be
// exactly the file's body under its header, and writing it back must give
// the same file.
#include "fuzz/archive_seeds.h"
#include "fuzz/fuzz_target.h"
#include "tests/support/test_env.h"

#include "base/folders.h"
#include "package/download_state.h"
#include "package/package_job.h"

#include <cstring>
#include <string>
#include <windows.h>

namespace {

const char kTarget[] = "download-state";
// Taking over reserves the whole body the header states; more than this is
// memory the fuzzer cannot spare, not a fault of the reader.
const uint64_t kLargestBody = 64u << 20;

uint32_t BigEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

}  // namespace

void FuzzDownloadState(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return;
    if (size >= 16 && uint64_t(BigEndian32(data + 8)) + BigEndian32(data + 12) > kLargestBody)
        return;
    static char path[kFolderPathSize];
    if (!path[0] && !GetDownloadStatePath(path))
        FuzzFailed(kTarget, "no state file path");
    FUZZ_EXPECT(kTarget, WriteWholeFile(path, std::string(reinterpret_cast<const char*>(data), size)));

    PackageJob job(nullptr);
    // The number the file carries is the one expected, so that the fuzzer
    // gets past that check.
    job.packageNumber = size >= 4 ? uint32_t(data[2]) << 8 | data[3] : 0;
    uint32_t received = ReadDownloadState(job);
    if (job.compressedSize == 0) {
        FUZZ_EXPECT(kTarget,
                    received == 0 && job.archiveSize == 0 && job.trailingSize == 0 && !job.compressed);
        DeleteDownloadState();
        return;
    }
    uint64_t total = uint64_t(job.compressedSize) + job.trailingSize;
    FUZZ_EXPECT(kTarget, size == 16 + uint64_t(received) && received <= total);
    FUZZ_EXPECT(kTarget, job.bodyCapacity >= total && job.archiveSize != 0);
    FUZZ_EXPECT(kTarget, received == 0 || std::memcmp(job.body, data + 16, received) == 0);
    FUZZ_EXPECT(kTarget, job.compressed == (job.archiveSize != job.compressedSize));

    WriteDownloadState(job, received);
    std::string written = ReadWholeFile(path).bytes;
    FUZZ_EXPECT(kTarget, written.size() == size && std::memcmp(written.data(), data, size) == 0);
    DeleteDownloadState();
}

void SeedDownloadState(std::vector<std::string>& out)
{
    std::string package = SeedStoredPackage(SeedArchiveBytes(), 1, 3);
    out.push_back(package.substr(0, 16));
    out.push_back(package.substr(0, 40));
    out.push_back(package);
}
