#include "base/stdio_bridge.h"

#include "afx/afxwin.h"

#include <sys/stat.h>

std::string HostPathOf(const char* windowsPath)
{
    if (!windowsPath || !*windowsPath)
        return std::string();
    WCHAR wide[MAX_PATH * 4];
    if (MultiByteToWideChar(CP_ACP, 0, windowsPath, -1, wide, MAX_PATH * 4) == 0)
        return std::string();
    char* hostPath = wine_get_unix_file_name(wide);
    if (!hostPath)
        return std::string();
    std::string result(hostPath);
    HeapFree(GetProcessHeap(), 0, hostPath);
    return result;
}

FILE* OpenStdioFile(const char* windowsPath, const char* mode)
{
    std::string hostPath = HostPathOf(windowsPath);
    if (hostPath.empty() || !mode)
        return nullptr;
    FILE* file = std::fopen(hostPath.c_str(), mode);
    // glibc opens a folder for reading; the Windows runtime refuses it.
    struct stat info;
    if (file && fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}
