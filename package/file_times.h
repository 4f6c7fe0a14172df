// Unix times on files and folders. Any thread.
#pragma once

#include <cstdint>
#include <windows.h>

// The FILETIME (100 ns since 1601-01-01 UTC) of a Unix time; seconds is
// signed, so stored values of 2^31 and above are before 1970.
FILETIME UnixTimeToFileTime(int32_t seconds);

// Sets a file's or folder's last-write and creation time; the last-access
// time is left alone. Best effort: a path that cannot be opened is skipped
// without a report.
void SetFileTimes(const char* path, uint32_t modificationTime, uint32_t creationTime);
