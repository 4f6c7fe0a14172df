#include "package/archive_extract.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "package/delete_tree.h"
#include "package/entry_name.h"
#include "package/file_times.h"
#include "package/package_format.h"

#include <cstdlib>
#include <cstring>

namespace {

// The folders an extraction created, in archive order, with the times they
// get once every file is written. Grows by 5 records at a time.
class FolderList {
public:
    struct Record {
        uint32_t creationTime;
        uint32_t modificationTime;
        char path[kFolderPathSize];
    };

    FolderList() : records(nullptr), count(0), capacity(0) {}
    ~FolderList() { std::free(records); }
    FolderList(const FolderList&) = delete;
    FolderList& operator=(const FolderList&) = delete;

    // A path that does not fit its record, or a failed allocation, throws
    // -3 and leaves the list as it was.
    void Append(const char* path, uint32_t modificationTime, uint32_t creationTime)
    {
        size_t length = std::strlen(path);
        if (length >= sizeof records[0].path)
            throw kErrorMalformed;
        if (count == capacity) {
            if (capacity > UINT32_MAX - kGrowthStep)
                throw kErrorMalformed;
            void* block = std::realloc(records, (size_t(capacity) + kGrowthStep) * sizeof(Record));
            if (!block)
                throw kErrorMalformed;
            records = static_cast<Record*>(block);
            capacity += kGrowthStep;
        }
        Record& record = records[count++];
        record.creationTime = creationTime;
        record.modificationTime = modificationTime;
        std::memcpy(record.path, path, length + 1);
    }

    // Last record first, as the times must be applied.
    void ApplyTimesInReverse() const
    {
        for (uint32_t index = count; index > 0; --index) {
            const Record& record = records[index - 1];
            SetFileTimes(record.path, record.modificationTime, record.creationTime);
        }
    }

private:
    static const uint32_t kGrowthStep = 5;

    Record* records;
    uint32_t count;
    uint32_t capacity;
};

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

}  // namespace

void ExtractArchive(MemoryStream& archive, const char* baseFolder, ExtractionResult* result)
{
    result->programPath[0] = '\0';
    ReadArchiveHeader(archive, &result->headerValueA, &result->headerValueB);
    FolderList folders;

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
    folders.ApplyTimesInReverse();
}
