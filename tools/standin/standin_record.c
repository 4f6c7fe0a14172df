/* Telling and recording: the console line and the record file of starts. */
#include "standin.h"

#include <stdio.h>
#include <string.h>

void StandinSay(const char* text)
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == NULL || output == INVALID_HANDLE_VALUE) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return;
        output = GetStdHandle(STD_OUTPUT_HANDLE);
        if (output == NULL || output == INVALID_HANDLE_VALUE)
            return;
    }
    DWORD written = 0;
    WriteFile(output, text, (DWORD)strlen(text), &written, NULL);
    WriteFile(output, "\r\n", 2, &written, NULL);
}

BOOL StandinOwnPath(char* path, char* folder)
{
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;
    memcpy(folder, path, length + 1);
    char* slash = strrchr(folder, '\\');
    if (slash == NULL)
        return FALSE;
    *slash = '\0';
    return TRUE;
}

BOOL StandinRecordStart(const char* arguments)
{
    char path[MAX_PATH];
    char folder[MAX_PATH];
    char workingFolder[MAX_PATH];
    char recordPath[MAX_PATH];
    if (!StandinOwnPath(path, folder))
        return FALSE;
    DWORD workingLength = GetCurrentDirectoryA(MAX_PATH, workingFolder);
    if (workingLength == 0 || workingLength >= MAX_PATH)
        return FALSE;
    int recordLength = snprintf(recordPath, sizeof recordPath, "%s\\%s", folder, STANDIN_RECORD_NAME);
    if (recordLength < 0 || recordLength >= (int)sizeof recordPath)
        return FALSE;

    SYSTEMTIME now;
    GetSystemTime(&now);
    char line[3 * MAX_PATH + 64];
    int lineLength =
        snprintf(line, sizeof line, "%04u-%02u-%02uT%02u:%02u:%02uZ\t%s\t%s\r\n", now.wYear, now.wMonth,
                 now.wDay, now.wHour, now.wMinute, now.wSecond, workingFolder, arguments);
    if (lineLength < 0 || lineLength >= (int)sizeof line)
        return FALSE;

    HANDLE file = CreateFileA(recordPath, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD written = 0;
    BOOL ok = WriteFile(file, line, (DWORD)lineLength, &written, NULL) && written == (DWORD)lineLength;
    CloseHandle(file);
    return ok;
}
