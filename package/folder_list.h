// The folders that an extraction created, in archive order, with the times
// to give them once every file is written. Grows by 5 records at a time.
// One thread.
#pragma once

#include <cstdint>

struct FolderRecord {
    uint32_t creationTime;
    uint32_t modificationTime;
    char path[1024];
};

class FolderList {
public:
    static const uint32_t kGrowthStep = 5;

    FolderList();
    ~FolderList();
    FolderList(const FolderList&) = delete;
    FolderList& operator=(const FolderList&) = delete;

    // Appends a record. A path of 1024 bytes or more, or a failed
    // allocation, throws -3 and leaves the list as it was.
    void Append(const char* path, uint32_t modificationTime, uint32_t creationTime);
    uint32_t GetCount() const { return count; }
    uint32_t GetCapacity() const { return capacity; }
    // index < GetCount().
    const FolderRecord& GetAt(uint32_t index) const { return records[index]; }
    // Empties the list and frees its storage.
    void Clear();

private:
    FolderRecord* records;
    uint32_t count;
    uint32_t capacity;
};
