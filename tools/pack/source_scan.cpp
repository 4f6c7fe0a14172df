#include "tools/pack/source_scan.h"

#include "base/scoped_handle.h"
#include "package/entry_name.h"
#include "package/package_format.h"

#include <algorithm>

namespace {

const int64_t kUnixEpochAsFileTime = 116444736000000000LL;
const int64_t kIntervalsPerSecond = 10000000LL;

struct FoundItem {
    std::string name;
    bool folder;
    WIN32_FIND_DATAA data;
};

bool ListFolder(const std::string& folder, std::vector<FoundItem>* items, std::string* error)
{
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (find.Get() == INVALID_HANDLE_VALUE) {
        *error = "cannot read the folder " + folder;
        return false;
    }
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        items->push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, data});
    } while (FindNextFileA(find.Get(), &data));
    std::sort(items->begin(), items->end(),
              [](const FoundItem& a, const FoundItem& b) { return a.name < b.name; });
    return true;
}

bool MakeEntry(const FoundItem& item, const std::string& prefix, const std::string& folder,
               SourceEntry* entry, std::string* error)
{
    entry->type = item.folder ? kEntryFolder : kEntryFile;
    entry->flags = 0;
    entry->name = prefix + item.name;
    entry->path = folder + "\\" + item.name;
    entry->dataSize = item.data.nFileSizeLow;
    if (!item.folder && item.data.nFileSizeHigh != 0) {
        *error = entry->name + " is 4 GiB or larger";
        return false;
    }
    if (entry->name.size() >= kEntryNameCapacity || !IsSafeEntryName(entry->name.c_str())) {
        *error = "the name " + entry->name + " cannot be installed";
        return false;
    }
    int32_t seconds;
    if (!FileTimeToUnixTime(item.data.ftLastWriteTime, &seconds)) {
        *error = "the modification time of " + entry->name + " lies outside 1901-2038";
        return false;
    }
    // The creation time of a Unix file is not kept; the modification time
    // stands in for it.
    entry->modificationTime = uint32_t(seconds);
    entry->creationTime = uint32_t(seconds);
    return true;
}

bool ScanInto(const std::string& folder, const std::string& prefix, std::vector<SourceEntry>* entries,
              std::string* error)
{
    std::vector<FoundItem> items;
    if (!ListFolder(folder, &items, error))
        return false;
    for (const FoundItem& item : items) {
        SourceEntry entry;
        if (!MakeEntry(item, prefix, folder, &entry, error))
            return false;
        entries->push_back(entry);
        if (item.folder && !ScanInto(entry.path, entry.name + "\\", entries, error))
            return false;
    }
    return true;
}

}  // namespace

bool FileTimeToUnixTime(const FILETIME& time, int32_t* seconds)
{
    int64_t intervals = int64_t((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    int64_t since1970 = intervals - kUnixEpochAsFileTime;
    // Rounds towards earlier times, so a time just before 1970 stays before it.
    int64_t whole = since1970 / kIntervalsPerSecond;
    if (since1970 % kIntervalsPerSecond < 0)
        --whole;
    if (whole < INT32_MIN || whole > INT32_MAX)
        return false;
    *seconds = int32_t(whole);
    return true;
}

bool ScanFolder(const std::string& folder, std::vector<SourceEntry>* entries, std::string* error)
{
    return ScanInto(folder, "", entries, error);
}
