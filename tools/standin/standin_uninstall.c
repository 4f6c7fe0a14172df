/* Removal: everything the installer made for the current user. */
#include "standin.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <stdio.h>
#include <string.h>

/* The folders that may hold one of the program's shortcuts. */
static const struct {
    int folder;
    const char* subfolder;
} kShortcutFolders[] = {
    {CSIDL_PROGRAMS, NULL},
    {CSIDL_APPDATA, "Microsoft\\Internet Explorer\\Quick Launch"},
    {CSIDL_DESKTOPDIRECTORY, NULL},
    {CSIDL_STARTUP, NULL},
};

/* InstallLocation as the registration wrote it, or FALSE when absent. */
static BOOL ReadInstallLocation(char* location)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, STANDIN_UNINSTALL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return FALSE;
    DWORD type = 0;
    DWORD size = MAX_PATH;
    LONG result = RegQueryValueExA(key, "InstallLocation", NULL, &type, (BYTE*)location, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ || size == 0)
        return FALSE;
    location[size - 1] = '\0';
    return TRUE;
}

static void RemoveShortcuts(const char* ownPath)
{
    char name[MAX_PATH];
    lstrcpynA(name, PathFindFileNameA(ownPath), MAX_PATH);
    PathRenameExtensionA(name, ".lnk");
    for (size_t i = 0; i < sizeof kShortcutFolders / sizeof kShortcutFolders[0]; ++i) {
        char folder[MAX_PATH];
        char path[MAX_PATH];
        if (!SHGetSpecialFolderPathA(NULL, folder, kShortcutFolders[i].folder, FALSE))
            continue;
        const char* subfolder = kShortcutFolders[i].subfolder;
        int length = snprintf(path, sizeof path, "%s%s%s\\%s", folder, subfolder ? "\\" : "",
                              subfolder ? subfolder : "", name);
        if (length > 0 && length < (int)sizeof path)
            DeleteFileA(path);
    }
}

/* Deletes everything inside the folder except the running program's file. */
static void EmptyFolder(const char* folder, const char* ownPath)
{
    char pattern[MAX_PATH];
    if (snprintf(pattern, sizeof pattern, "%s\\*", folder) >= (int)sizeof pattern)
        return;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (strcmp(entry.cFileName, ".") == 0 || strcmp(entry.cFileName, "..") == 0)
            continue;
        char path[MAX_PATH];
        if (snprintf(path, sizeof path, "%s\\%s", folder, entry.cFileName) >= (int)sizeof path)
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            EmptyFolder(path, ownPath);
            RemoveDirectoryA(path);
        } else if (lstrcmpiA(path, ownPath) != 0) {
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

/* A running program's file cannot be deleted everywhere; where it cannot, it
 * is moved to the temporary folder and left to be deleted at the next
 * restart, so that its folder can go now. */
static void RemoveOwnFile(const char* ownPath)
{
    if (DeleteFileA(ownPath))
        return;
    char temporary[MAX_PATH];
    char target[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temporary);
    if (length > 0 && length < MAX_PATH &&
        snprintf(target, sizeof target, "%sQuorvalent-removed-%lu.exe", temporary,
                 (unsigned long)GetCurrentProcessId()) < (int)sizeof target &&
        MoveFileExA(ownPath, target, MOVEFILE_REPLACE_EXISTING)) {
        MoveFileExA(target, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    MoveFileExA(ownPath, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}

static void RemoveInstallationFolder(const char* folder, const char* ownPath)
{
    char temporary[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temporary);
    /* A folder that is some process's working folder cannot be removed. */
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryA(temporary);
    EmptyFolder(folder, ownPath);
    RemoveOwnFile(ownPath);
    RemoveDirectoryA(folder);
    /* The level above is removed only when nothing else (the installer's
     * preferences) lives there. */
    char parent[MAX_PATH];
    lstrcpynA(parent, folder, MAX_PATH);
    if (PathRemoveFileSpecA(parent))
        RemoveDirectoryA(parent);
}

void StandinUninstall(void)
{
    char ownPath[MAX_PATH];
    char ownFolder[MAX_PATH];
    char location[MAX_PATH];
    BOOL located = StandinOwnPath(ownPath, ownFolder);
    BOOL registered = ReadInstallLocation(location);

    SHDeleteKeyA(HKEY_CURRENT_USER, STANDIN_UNINSTALL_KEY);
    SHDeleteKeyA(HKEY_CURRENT_USER, STANDIN_ARP_CACHE_KEY);
    SHDeleteKeyA(HKEY_CURRENT_USER, STANDIN_PRODUCT_KEY);
    if (!located)
        return;
    RemoveShortcuts(ownPath);
    /* Only the folder that the registration names is emptied: a copy run
     * from anywhere else must not delete its neighbours. */
    if (registered && lstrcmpiA(location, ownFolder) == 0)
        RemoveInstallationFolder(ownFolder, ownPath);
}
