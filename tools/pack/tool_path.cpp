#include "tools/pack/tool_path.h"

#include <windows.h>

namespace {

typedef WCHAR*(CDECL* DosFileNameFunction)(const char* unixPath);

// Wine's kernel32 maps Unix paths to Windows ones, for Winelib and Windows
// programs alike; Windows has no such function.
DosFileNameFunction WineDosFileName()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return nullptr;
    FARPROC entry = GetProcAddress(kernel, "wine_get_dos_file_name");
    return reinterpret_cast<DosFileNameFunction>(reinterpret_cast<void*>(entry));
}

}  // namespace

std::string ToWindowsPath(const char* path)
{
    if (path[0] != '/')
        return path;
    DosFileNameFunction dosFileName = WineDosFileName();
    if (!dosFileName)
        return path;
    WCHAR* wide = dosFileName(path);
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
    while (!entry.empty() && entry.back() == '\\') entry.pop_back();
    while (!entry.empty() && entry.front() == '\\') entry.erase(entry.begin());
    return entry;
}
