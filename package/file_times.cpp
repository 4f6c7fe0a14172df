#include "package/file_times.h"

#include "base/scoped_handle.h"

namespace {

const int64_t kSecondsFrom1601To1970 = 11644473600LL;
const int64_t kIntervalsPerSecond = 10000000LL;

}  // namespace

FILETIME UnixTimeToFileTime(int32_t seconds)
{
    int64_t intervals = (int64_t(seconds) + kSecondsFrom1601To1970) * kIntervalsPerSecond;
    FILETIME time;
    time.dwLowDateTime = DWORD(uint64_t(intervals));
    time.dwHighDateTime = DWORD(uint64_t(intervals) >> 32);
    return time;
}

void SetFileTimes(const char* path, uint32_t modificationTime, uint32_t creationTime)
{
    // Backup semantics let the same call open folders as well as files.
    FileHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return;
    FILETIME created = UnixTimeToFileTime(int32_t(creationTime));
    FILETIME modified = UnixTimeToFileTime(int32_t(modificationTime));
    SetFileTime(file.Get(), &created, nullptr, &modified);
}
