// Walking a source folder into the entries of an archive: folders before
// their contents, names sorted within each folder so that the same folder
// always gives the same package.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>

struct SourceEntry {
    uint8_t type;  // kEntryFile, kEntryFolder or kEntryDelete
    uint8_t flags;
    std::string name;  // relative, with backslashes
    std::string path;  // full Windows path of a file or folder
    uint32_t modificationTime;
    uint32_t creationTime;
    uint32_t dataSize;
};

// Appends the entries under folder (a Windows path without trailing
// backslash). Returns false with a message in error when a name cannot be
// installed, a file is 4 GiB or larger or a time does not fit in signed
// 32 bits.
bool ScanFolder(const std::string& folder, std::vector<SourceEntry>* entries, std::string* error);

// Seconds since 1970 of a FILETIME; false when they do not fit in signed
// 32 bits.
bool FileTimeToUnixTime(const FILETIME& time, int32_t* seconds);
