// Writing an archive's entries as files and folders into a folder. Runs on
// the thread of the package job that calls it.
#pragma once

#include "base/folders.h"

#include <cstdint>

class MemoryStream;

struct ExtractionResult {
    uint32_t headerValueA;
    uint32_t headerValueB;
    // Full path of the last entry flagged as the program entry; empty when
    // no entry carried the flag.
    char programPath[kInstallPathSize];
};

// Extracts the archive that starts at the stream's position into
// baseFolder (which ends in a backslash): file contents are written
// straight from the stream's buffer, folders are created (and replaced when
// flagged), delete entries remove their target, and once every entry is
// written the folders get their times, last first.
// Every name is resolved against baseFolder and must stay inside it: a name
// that IsSafeEntryName refuses, a delete of baseFolder itself, or a path
// that does not fit its buffer (3072 bytes for files, 1024 for folders and
// deletes) throws -3, as do a field or content past the end of the archive,
// a missing end entry and a file that cannot be written. Files written
// before a failure stay; the folder times are then not applied.
void ExtractArchive(MemoryStream& archive, const char* baseFolder, ExtractionResult* result);
