#include "package/download_state.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/folders.h"
#include "package/package_format.h"
#include "package/package_job.h"

#include <new>

namespace {

uint32_t TakeOverState(PackageJob& job, FileStream& file)
{
    uint8_t bytes[kPackageHeaderSize];
    file.Read(bytes, sizeof bytes);
    PackageHeader header;
    ParsePackageHeader(bytes, job.packageNumber, &header);
    // The sum is taken in 64 bits: sizes that wrap in 32 would let a short
    // buffer be overrun. A body that could not be asked for by a 32-bit
    // offset cannot be resumed either.
    uint64_t total = uint64_t(header.compressedSize) + header.trailingSize;
    if (total > PackageJob::kMaximumBodySize)
        throw kErrorMalformed;
    uint32_t received = file.GetRemaining();
    if (received > total)
        throw kErrorMalformed;
    job.ApplyHeader(header);
    job.ReserveBody(uint32_t(total));
    file.Read(job.body, received);
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
    job.ClearHeader();
    return 0;
}

void WriteDownloadState(const PackageJob& job, uint32_t received) { AppendDownloadState(job, 0, received); }

bool AppendDownloadState(const PackageJob& job, uint32_t stored, uint32_t received)
{
    try {
        if (received > job.bodyCapacity || stored > received)
            return false;
        char path[kFolderPathSize];
        if (!GetDownloadStatePath(path))
            return false;
        FileStream file;
        if (stored == 0) {
            PackageHeader header = {uint8_t(job.flags), uint16_t(job.packageNumber), job.archiveSize,
                                    job.compressedSize, job.trailingSize};
            uint8_t bytes[kPackageHeaderSize];
            EncodePackageHeader(header, bytes);
            file.Open(path, "wb");
            file.Write(bytes, sizeof bytes);
        } else {
            // Bytes appended to a file of another length would no longer
            // stand at their own offsets.
            file.Open(path, "r+b");
            if (file.GetSize() != kPackageHeaderSize + stored)
                return false;
            file.SeekTo(file.GetSize());
        }
        file.Write(job.body + stored, received - stored);
        return true;
    } catch (ErrorCode) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}

void DeleteDownloadState()
{
    char path[kFolderPathSize];
    if (GetDownloadStatePath(path))
        DeleteFileA(path);
}
