#include "tools/pack/tool_path.h"

#include <windows.h>

std::string ToWindowsPath(const char* path)
{
    if (path[0] != '/')
        return path;
    WCHAR* wide = wine_get_dos_file_name(path);
    if (!wide)
        return std::string();
    char narrow[4096];
    int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, wide);
    return length > 0 ? std::string(narrow) : std::string();
}

std::string ToEntryName(const char* name)
{
    std::string entry(name);
    for (char& c : entry)
        if (c == '/')
            c = '\\';
    while (!entry.empty() && entry.back() == '\\')
        entry.pop_back();
    while (!entry.empty() && entry.front() == '\\')
        entry.erase(entry.begin());
    return entry;
}
