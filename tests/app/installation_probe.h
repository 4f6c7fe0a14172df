// Helpers for tests that look at an installation from outside: registry
// values, folders, files, the stand-in's record of starts, and programs
// started and waited for. Each test runs in a Wine prefix of its own.
#pragma once

#include "tests/support/gtest.h"

#include "base/stdio_bridge.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace probe {

// A registry value under HKEY_CURRENT_USER as stored; found false when absent.
struct RegistryValue {
    bool found = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;

    std::string text() const
    {
        std::string s(data.begin(), data.end());
        while (!s.empty() && s.back() == '\0')
            s.pop_back();
        return s;
    }
    DWORD dword() const
    {
        DWORD value = 0;
        if (data.size() == sizeof value)
            std::memcpy(&value, data.data(), sizeof value);
        return value;
    }
};

inline RegistryValue ReadValue(const char* keyPath, const char* name)
{
    RegistryValue value;
    BYTE data[4096];
    DWORD size = sizeof data;
    value.found = RegGetValueA(HKEY_CURRENT_USER, keyPath, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, data,
                               &size) == ERROR_SUCCESS;
    if (value.found)
        value.data.assign(data, data + size);
    return value;
}

inline bool KeyExists(const char* keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

inline DWORD ValueCount(const char* keyPath)
{
    DWORD count = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
    }
    return count;
}

inline void WriteValue(const char* keyPath, const char* name, DWORD type, const void* data, DWORD size)
{
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, keyPath, name, type, data, size), ERROR_SUCCESS) << name;
}

inline void WriteText(const char* keyPath, const char* name, const std::string& text, DWORD type = REG_SZ)
{
    WriteValue(keyPath, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, csidl, TRUE);
    return path;
}

inline bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Windows profiles have the Quick Launch folder; a fresh Wine prefix has not.
inline void CreateQuickLaunchFolder()
{
    std::string folder = SpecialFolder(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch";
    SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    ASSERT_TRUE(FileExists(folder)) << folder;
}

// A Unix folder of the build or of the test as Wine's Z: drive shows it.
inline std::string WindowsPath(const char* variable)
{
    std::string path = std::string("Z:") + std::getenv(variable);
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

inline std::string TestRoot() { return WindowsPath("QV_TEST_ROOT"); }
inline std::string StandinExe() { return WindowsPath("QV_BUILD_DIR") + "\\tools\\quorvalent-standin.exe"; }
// The Winelib module itself: Wine starts it as a process whose handle can be
// waited for, which the launcher script beside it does not give.
inline std::string SetupExe() { return WindowsPath("QV_BUILD_DIR") + "\\quorvalent-setup.exe.so"; }

inline void CopyStandinTo(const std::string& path)
{
    ASSERT_TRUE(CopyFileA(StandinExe().c_str(), path.c_str(), FALSE)) << path;
}

// Everything left in an open stream, which is then closed; empty for null.
inline std::string ReadAndClose(FILE* file)
{
    std::string contents;
    char buffer[4096];
    size_t got;
    while (file && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        contents.append(buffer, got);
    if (file)
        std::fclose(file);
    return contents;
}

// One start in the stand-in's record beside it.
struct StartRecord {
    std::string time;
    std::string folder;
    std::string arguments;
};

// Waits up to the time-out until the record holds count starts (none: reads
// once); a started program needs a moment.
inline std::vector<StartRecord> WaitForStarts(const std::string& programFolder, size_t count = 0,
                                              DWORD timeoutMs = 20000)
{
    std::vector<StartRecord> starts;
    for (DWORD waited = 0;; waited += 50) {
        starts.clear();
        std::string contents = ReadAndClose(OpenStdioFile((programFolder + "\\starts.txt").c_str(), "rb"));
        for (size_t at = 0, end; (end = contents.find("\r\n", at)) != std::string::npos; at = end + 2) {
            std::string line = contents.substr(at, end - at);
            size_t tab1 = line.find('\t');
            size_t tab2 = line.find('\t', tab1 + 1);
            if (tab1 != std::string::npos && tab2 != std::string::npos)
                starts.push_back({line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)});
        }
        if (starts.size() >= count || waited >= timeoutMs)
            return starts;
        Sleep(50);
    }
}

// Runs a command line in the working folder (or ours) and waits for it; its
// exit code, or -1 when it could not start or had to be ended.
inline int RunAndWait(const std::string& commandLine, const char* workingFolder = nullptr)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string writable = commandLine;
    if (!CreateProcessA(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, workingFolder, &startup,
                        &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// The output of a Unix command (the C library here is the host's), through a
// file: helpers that Wine starts would hold a pipe open after the command
// ends. A sanitized run keeps its runtime preloaded only when asked (for our
// own Winelib programs); Wine's Windows programs cannot start with it.
inline std::string UnixOutput(const std::string& command, bool keepPreload = false)
{
    static int serial = 0;
    std::string file = std::string(std::getenv("QV_TEST_ROOT")) + "/output-" + std::to_string(++serial);
    std::string line = (keepPreload ? "" : "env -u LD_PRELOAD ") + command;
    if (std::system((line + " >'" + file + "' 2>&1 </dev/null").c_str()) == -1)
        return std::string();
    return ReadAndClose(std::fopen(file.c_str(), "rb"));
}

inline std::string UnixPath(const std::string& windowsPath)
{
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unix = wine_get_unix_file_name(wide);
    std::string path = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// What lnkinfo, a reader of shortcut files that is not the shell's, says.
inline std::string LnkInfo(const std::string& file) { return UnixOutput("lnkinfo '" + UnixPath(file) + "'"); }

}  // namespace probe
