// Transitional: the old helper names for the tests outside tests/app that
// still use them (tests/support/wine_probe.h and test_env.h replace them).
// Remove once no test includes this file.
#pragma once

#include "base/stdio_bridge.h"
#include "tests/support/test_env.h"

#include <shlobj.h>

#include <cstdio>
#include <vector>

namespace probe {

struct RegistryValue {
    bool found = false;
    std::vector<BYTE> data;
    std::string text() const { return std::string(data.begin(), data.end()).c_str(); }
};
inline RegistryValue ReadValue(const char* key, const char* name)
{
    RegistryValue value;
    BYTE data[4096];
    DWORD size = sizeof data;
    value.found =
        RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, nullptr, data, &size) == ERROR_SUCCESS;
    value.data.assign(data, data + (value.found ? size : 0));
    return value;
}
inline bool KeyExists(const char* key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}
inline std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, csidl, TRUE);
    return path;
}
inline std::string SetupExe()
{
    return WindowsPath(BuildDir()) + "\\quorvalent-setup.exe.so";
}
inline std::string UnixPath(const std::string& windowsPath)
{
    return ::UnixPath(windowsPath);
}
inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}
inline std::string UnixOutput(const std::string& command, bool keepPreload = false)
{
    return RunHost(command, 60, keepPreload).output;
}
inline std::string ReadAndClose(FILE* file)
{
    std::string contents;
    char buffer[4096];
    for (size_t got; file && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        contents.append(buffer, got);
    if (file)
        std::fclose(file);
    return contents;
}

}  // namespace probe
