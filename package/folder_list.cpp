#include "package/folder_list.h"

#include "base/error_code.h"

#include <cstdlib>
#include <cstring>

FolderList::FolderList() : records(nullptr), count(0), capacity(0) {}

FolderList::~FolderList()
{
    Clear();
}

void FolderList::Append(const char* path, uint32_t modificationTime, uint32_t creationTime)
{
    size_t length = std::strlen(path);
    if (length >= sizeof records[0].path)
        throw kErrorMalformed;
    if (count == capacity) {
        if (capacity > UINT32_MAX - kGrowthStep)
            throw kErrorMalformed;
        uint32_t grown = capacity + kGrowthStep;
        void* block = std::realloc(records, size_t(grown) * sizeof(FolderRecord));
        if (!block)
            throw kErrorMalformed;
        records = static_cast<FolderRecord*>(block);
        capacity = grown;
    }
    FolderRecord& record = records[count++];
    record.creationTime = creationTime;
    record.modificationTime = modificationTime;
    std::memcpy(record.path, path, length + 1);
}

void FolderList::Clear()
{
    std::free(records);
    records = nullptr;
    count = 0;
    capacity = 0;
}
