#include "base/folders.h"

#include <cstring>
#include <shlobj.h>

namespace {

const char kPrefsFolderName[] = "Quorvalent Prefs";
const char kProductFolderName[] = "Quorvalent\\";
const char kAppDataPrefsFolderName[] = "Quorvalent\\Quorvalent Prefs";

uint64_t QueryFreeDiskSpace(const char* path)
{
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(path, &available, nullptr, nullptr))
        return 0;
    return available.QuadPart;
}

FreeDiskSpaceQuery freeDiskSpaceQuery = QueryFreeDiskSpace;

bool CopyText(char* buffer, uint32_t size, const char* text)
{
    size_t length = std::strlen(text);
    if (length >= size)
        return false;
    std::memcpy(buffer, text, length + 1);
    return true;
}

// The application-data folder with a backslash, created if missing.
bool GetAppDataFolder(char* buffer, uint32_t size)
{
    char folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, TRUE))
        return false;
    return CopyText(buffer, size, folder) && AddBackslash(buffer, size);
}

}  // namespace

const char* FileNamePart(const char* path)
{
    const char* backslash = std::strrchr(path, '\\');
    return backslash ? backslash + 1 : path;
}

void RemoveFileName(char* path) { path[FileNamePart(path) - path] = '\0'; }

bool AddBackslash(char* path, uint32_t size)
{
    size_t length = std::strlen(path);
    if (length == 0 || path[length - 1] == '\\')
        return true;
    return AppendText(path, size, "\\");
}

bool AppendText(char* path, uint32_t size, const char* name)
{
    size_t length = std::strlen(path);
    size_t added = std::strlen(name);
    if (length + added >= size)
        return false;
    std::memcpy(path + length, name, added + 1);
    return true;
}

bool ReplaceFileName(char* path, uint32_t size, const char* name)
{
    size_t folderLength = size_t(FileNamePart(path) - path);
    if (folderLength + std::strlen(name) >= size)
        return false;
    RemoveFileName(path);
    return AppendText(path, size, name);
}

bool GetModuleFolder(char* buffer, uint32_t size)
{
    DWORD length = GetModuleFileNameA(nullptr, buffer, size);
    // A result of size means the name was cut to fit.
    if (length == 0 || length >= size) {
        if (size > 0)
            buffer[0] = '\0';
        return false;
    }
    RemoveFileName(buffer);
    return true;
}

bool FileExists(const char* path)
{
    return path && *path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

DWORD DeleteFileResult(const char* path) { return DeleteFileA(path) ? 0 : GetLastError(); }

void CreateSubfolder(const char* basePath, const char* name)
{
    char folder[kFolderPathSize];
    if (!CopyText(folder, sizeof folder, basePath))
        return;
    RemoveFileName(folder);
    if (AppendText(folder, sizeof folder, name) && AddBackslash(folder, sizeof folder))
        CreateDirectoryA(folder, nullptr);
}

DWORD AppendFolderIfExists(char* path, uint32_t size, const char* name)
{
    size_t length = std::strlen(path);
    if (!AppendText(path, size, name) || !AppendText(path, size, "\\")) {
        path[length] = '\0';
        return ERROR_BUFFER_OVERFLOW;
    }
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? 0 : GetLastError();
}

void GetPrefsFolder(char* buffer)
{
    if (GetModuleFolder(buffer, kFolderPathSize) &&
        AppendFolderIfExists(buffer, kFolderPathSize, kPrefsFolderName) == 0)
        return;
    if (GetAppDataFolder(buffer, kFolderPathSize)) {
        CreateSubfolder(buffer, kProductFolderName);
        CreateSubfolder(buffer, kAppDataPrefsFolderName);
        if (AppendFolderIfExists(buffer, kFolderPathSize, kAppDataPrefsFolderName) == 0)
            return;
    }
    GetModuleFolder(buffer, kFolderPathSize);
}

bool GetInstallFolder(char* buffer, uint32_t size)
{
    if (GetAppDataFolder(buffer, size) && AppendText(buffer, size, kProductFolderName)) {
        CreateDirectoryA(buffer, nullptr);
        if (AppendText(buffer, size, kProductFolderName)) {
            CreateDirectoryA(buffer, nullptr);
            return true;
        }
    }
    return GetModuleFolder(buffer, size);
}

uint64_t GetFreeDiskSpace(const char* path) { return freeDiskSpaceQuery(path); }

void SetFreeDiskSpaceQuery(FreeDiskSpaceQuery query)
{
    freeDiskSpaceQuery = query ? query : QueryFreeDiskSpace;
}
