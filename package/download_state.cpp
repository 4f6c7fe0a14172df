#include "package/download_state.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/folders.h"
#include "package/package_job.h"

#include <new>

namespace {

void ClearHeader(PackageJob& job)
{
    job.flags = 0;
    job.archiveSize = 0;
    job.compressedSize = 0;
    job.trailingSize = 0;
    job.compressed = false;
}

uint32_t TakeOverState(PackageJob& job, FileStream& file)
{
    if (file.ReadU8() != kDownloadStateVersion)
        throw kErrorMalformed;
    uint32_t flags = file.ReadU8();
    if (file.ReadU16() != job.packageNumber)
        throw kErrorMalformed;
    uint32_t archiveSize = file.ReadU32();
    uint32_t compressedSize = file.ReadU32();
    uint32_t trailingSize = file.ReadU32();
    if (archiveSize == 0 || compressedSize == 0)
        throw kErrorMalformed;
    // The sum is taken in 64 bits: sizes that wrap in 32 would let a short
    // buffer be overrun. A body that could not be asked for by a 32-bit
    // offset cannot be resumed either.
    uint64_t total = uint64_t(compressedSize) + trailingSize;
    if (total > PackageJob::kMaximumBodySize)
        throw kErrorMalformed;
    uint32_t received = file.GetRemaining();
    if (received > total)
        throw kErrorMalformed;
    job.flags = flags;
    job.archiveSize = archiveSize;
    job.compressedSize = compressedSize;
    job.trailingSize = trailingSize;
    job.ReserveBody(uint32_t(total));
    file.Read(job.body, received);
    job.compressed = archiveSize != compressedSize;
    return received;
}

}  // namespace

bool GetDownloadStatePath(char* buffer)
{
    GetPrefsFolder(buffer);
    if (buffer[0] != '\0' && ReplaceFileName(buffer, kFolderPathSize, kDownloadStateName))
        return true;
    buffer[0] = '\0';
    return false;
}

uint32_t ReadDownloadState(PackageJob& job)
{
    try {
        char path[kFolderPathSize];
        if (!GetDownloadStatePath(path))
            throw kErrorMalformed;
        FileStream file(path, "rb");
        return TakeOverState(job, file);
    } catch (ErrorCode) {
    } catch (const std::bad_alloc&) {
    }
    ClearHeader(job);
    return 0;
}

void WriteDownloadState(const PackageJob& job, uint32_t received)
{
    try {
        if (received > job.bodyCapacity)
            return;
        char path[kFolderPathSize];
        if (!GetDownloadStatePath(path))
            return;
        FileStream file(path, "wb");
        file.WriteU8(kDownloadStateVersion);
        file.WriteU8(job.flags);
        file.WriteU16(job.packageNumber);
        file.WriteU32(job.archiveSize);
        file.WriteU32(job.compressedSize);
        file.WriteU32(job.trailingSize);
        file.Write(job.body, received);
    } catch (ErrorCode) {
    } catch (const std::bad_alloc&) {
    }
}

void DeleteDownloadState()
{
    char path[kFolderPathSize];
    if (GetDownloadStatePath(path))
        DeleteFileA(path);
}
