#include "package/archive_extract.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "package/delete_tree.h"
#include "package/entry_name.h"
#include "package/file_times.h"
#include "package/folder_list.h"
#include "package/package_format.h"

#include <cstring>

namespace {

// Folder and delete paths go through 1024-byte records and the shell's
// 1028-byte list.
void CheckFitsFolderRecord(const char* fullPath)
{
    if (std::strlen(fullPath) >= kFolderPathSize)
        throw kErrorMalformed;
}

void ExtractFile(MemoryStream& archive, const ArchiveEntry& entry, const char* fullPath)
{
    const uint8_t* content = archive.GetBuffer() + archive.GetPosition();
    archive.Skip(entry.dataSize);
    FileStream file(fullPath, "wb");
    file.Write(content, entry.dataSize);
    file.Close();
    SetFileTimes(fullPath, entry.modificationTime, entry.creationTime);
}

void ExtractFolder(const ArchiveEntry& entry, const char* name, const char* fullPath, FolderList& folders)
{
    CheckFitsFolderRecord(fullPath);
    if (entry.flags & kEntryFlagReplaceFolder) {
        if (NamesBaseFolder(name))
            throw kErrorMalformed;
        DeleteTree(fullPath);
    }
    CreateDirectoryA(fullPath, nullptr);
    folders.Append(fullPath, entry.modificationTime, entry.creationTime);
}

void ExtractDelete(const char* name, const char* fullPath)
{
    CheckFitsFolderRecord(fullPath);
    if (NamesBaseFolder(name))
        throw kErrorMalformed;
    DeleteTree(fullPath);
}

void ApplyFolderTimes(FolderList& folders)
{
    for (uint32_t index = folders.GetCount(); index > 0; --index) {
        const FolderRecord& record = folders.GetAt(index - 1);
        SetFileTimes(record.path, record.modificationTime, record.creationTime);
    }
    folders.Clear();
}

}  // namespace

void ExtractArchive(MemoryStream& archive, const char* baseFolder, FolderList& folders,
                    ExtractionResult* result)
{
    result->programPath[0] = '\0';
    ReadArchiveHeader(archive, &result->headerValueA, &result->headerValueB);
    folders.Clear();

    // Each name is read straight behind the folder, so the buffer holds the
    // entry's full path; what does not fit fails in the read.
    char fullPath[kInstallPathSize];
    size_t baseLength = std::strlen(baseFolder);
    if (baseLength >= sizeof fullPath - 1)
        throw kErrorMalformed;
    std::memcpy(fullPath, baseFolder, baseLength + 1);
    char* name = fullPath + baseLength;
    uint32_t nameCapacity = uint32_t(sizeof fullPath - baseLength);

    for (;;) {
        ArchiveEntry entry;
        ReadArchiveEntry(archive, &entry, name, nameCapacity);
        if (entry.type == kEntryEnd)
            break;
        if (!IsSafeEntryName(name))
            throw kErrorMalformed;
        if (entry.type == kEntryFile)
            ExtractFile(archive, entry, fullPath);
        else if (entry.type == kEntryFolder)
            ExtractFolder(entry, name, fullPath, folders);
        else if (entry.type == kEntryDelete)
            ExtractDelete(name, fullPath);
        if (entry.flags & kEntryFlagProgram)
            std::memcpy(result->programPath, fullPath, std::strlen(fullPath) + 1);
    }
    ApplyFolderTimes(folders);
}
