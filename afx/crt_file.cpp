#include "afx/crt_file.h"

#include "afx/afxwin.h"

#include <sys/stat.h>

FILE* AfxOpenFile(const char* windowsPath, const char* mode)
{
    if (!windowsPath || !*windowsPath || !mode)
        return nullptr;
    WCHAR wide[MAX_PATH * 4];
    if (MultiByteToWideChar(CP_ACP, 0, windowsPath, -1, wide, MAX_PATH * 4) == 0)
        return nullptr;
    char* unixPath = wine_get_unix_file_name(wide);
    if (!unixPath)
        return nullptr;
    FILE* file = std::fopen(unixPath, mode);
    HeapFree(GetProcessHeap(), 0, unixPath);
    // glibc opens a folder for reading; the Windows runtime refuses it.
    struct stat info;
    if (file && fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}
