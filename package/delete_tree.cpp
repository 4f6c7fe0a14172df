#include "package/delete_tree.h"

#include <cstring>
#include <windows.h>
#include <shellapi.h>

int DeleteTree(const char* path)
{
    char list[1028];
    size_t length = path ? std::strlen(path) : 0;
    if (length == 0 || length > sizeof list - 2)
        return -1;
    std::memcpy(list, path, length);
    if (list[length - 1] == '\\')
        --length;
    // The shell takes a list of paths ended by an empty one.
    list[length] = '\0';
    list[length + 1] = '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = GetDesktopWindow();
    operation.wFunc = FO_DELETE;
    operation.pFrom = list;
    operation.pTo = nullptr;
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    return SHFileOperationA(&operation);
}
