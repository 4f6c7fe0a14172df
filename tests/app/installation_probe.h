// Helpers for tests that look at an installation from outside: registry
// values, special folders, files, and programs started and waited for. Every
// test runs in a Wine prefix of its own, so what they find is the test's own.
#pragma once

#include "tests/support/gtest.h"

#include "afx/crt_file.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace probe {

// A registry value as stored: its type and raw bytes; found is false when absent.
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
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        value.found = RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) ==
                      ERROR_SUCCESS;
        value.data.resize(size);
    }
    RegCloseKey(key);
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

inline void WriteValue(const char* keyPath, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

inline void WriteText(const char* keyPath, const char* name, const std::string& text, DWORD type = REG_SZ)
{
    WriteValue(keyPath, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// The names of a key's values, in the order the registry lists them.
inline std::vector<std::string> ValueNames(const char* keyPath)
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}

inline std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, csidl, TRUE);
    return path;
}

inline bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Windows profiles have the Quick Launch folder; a fresh Wine prefix has not.
inline void CreateQuickLaunchFolder()
{
    std::string folder = SpecialFolder(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch";
    SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    ASSERT_TRUE(FileExists(folder)) << folder;
}

// A Unix path of the build or test folders as Wine's Z: drive shows it.
inline std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

inline std::string TestRoot() { return WindowsPath(std::getenv("QV_TEST_ROOT")); }
inline std::string BuildDir() { return WindowsPath(std::getenv("QV_BUILD_DIR")); }
inline std::string StandinExe() { return BuildDir() + "\\tools\\quorvalent-standin.exe"; }
// The Winelib module itself: Wine starts it as a Windows process whose handle
// can be waited for, which the launcher script beside it does not give.
inline std::string SetupExe() { return BuildDir() + "\\quorvalent-setup.exe.so"; }

// Everything left in an open stream, which is then closed; empty for null.
inline std::string ReadAndClose(FILE* file)
{
    std::string contents;
    if (!file)
        return contents;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        contents.append(buffer, got);
    std::fclose(file);
    return contents;
}

inline std::string ReadWholeFile(const std::string& path) { return ReadAndClose(AfxOpenFile(path.c_str(), "rb")); }

// Waits up to the time-out for a file to appear; a started program needs a
// moment.
inline bool WaitForFile(const std::string& path, DWORD timeoutMs = 20000)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (FileExists(path))
            return true;
        Sleep(50);
    }
    return FileExists(path);
}

// Runs a command line (in the given working folder, or ours) and waits for it; its exit code, or -1 when it could
// not start or did not end within the time-out (it is then ended).
inline int RunAndWait(const std::string& commandLine, const char* workingFolder = nullptr,
                      DWORD timeoutMs = 60000)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, workingFolder, &startup,
                        &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// The output of a Unix command (the C library here is the host's). It goes
// through a file, not a pipe: helpers that Wine starts for a Wine command
// would hold a pipe open long after the command ends.
// A sanitized run keeps its runtime preloaded only when asked (for our own
// Winelib programs); Wine's Windows programs cannot start with it.
inline std::string UnixOutput(const std::string& command, bool keepPreload = false)
{
    static int serial = 0;
    std::string file = std::string(std::getenv("QV_TEST_ROOT")) + "/output-" + std::to_string(++serial);
    std::string line = (keepPreload ? "" : "env -u LD_PRELOAD ") + command;
    if (std::system((line + " >'" + file + "' 2>&1 </dev/null").c_str()) == -1)
        return std::string();
    return ReadAndClose(std::fopen(file.c_str(), "rb"));
}

// The Unix path of a Windows path, for Unix tools.
inline std::string UnixPath(const std::string& windowsPath)
{
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unix = wine_get_unix_file_name(wide);
    std::string path = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

// The stand-in's record of starts beside it: one row per start with its time,
// working folder and arguments.
struct StartRecord {
    std::string time;
    std::string folder;
    std::string arguments;
};

inline std::vector<StartRecord> ReadStarts(const std::string& programFolder)
{
    std::vector<StartRecord> starts;
    std::string contents = ReadWholeFile(programFolder + "\\starts.txt");
    size_t at = 0;
    while (at < contents.size()) {
        size_t end = contents.find("\r\n", at);
        if (end == std::string::npos)
            break;
        std::string line = contents.substr(at, end - at);
        at = end + 2;
        size_t tab1 = line.find('\t');
        size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos)
            continue;
        starts.push_back({line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)});
    }
    return starts;
}

// Waits until the record holds the given number of starts, or the time-out.
inline std::vector<StartRecord> WaitForStarts(const std::string& programFolder, size_t count,
                                              DWORD timeoutMs = 20000)
{
    std::vector<StartRecord> starts;
    for (DWORD waited = 0; waited <= timeoutMs; waited += 50) {
        starts = ReadStarts(programFolder);
        if (starts.size() >= count)
            break;
        Sleep(50);
    }
    return starts;
}

// In sanitized runs the sanitizer's runtime is preloaded into every process
// that inherits the environment; it suits our Winelib programs, but a real
// Windows program (the stand-in, the shell's helpers) cannot start with it.
// While this object lives, started programs do not get it.
class WithoutSanitizerPreload {
public:
    WithoutSanitizerPreload()
    {
        // Wine hands a started program the Unix environment as well as the
        // Windows one, so it goes from both.
        const char* preload = std::getenv("LD_PRELOAD");
        had_ = preload && std::strlen(preload) < sizeof saved_;
        if (had_)
            std::strcpy(saved_, preload);
        unsetenv("LD_PRELOAD");
        SetEnvironmentVariableA("LD_PRELOAD", nullptr);
    }
    WithoutSanitizerPreload(const WithoutSanitizerPreload&) = delete;
    WithoutSanitizerPreload& operator=(const WithoutSanitizerPreload&) = delete;
    ~WithoutSanitizerPreload()
    {
        if (had_) {
            setenv("LD_PRELOAD", saved_, 1);
            SetEnvironmentVariableA("LD_PRELOAD", saved_);
        }
    }

private:
    char saved_[1024] = {};
    bool had_ = false;
};

inline void CopyStandinTo(const std::string& path)
{
    ASSERT_TRUE(CopyFileA(StandinExe().c_str(), path.c_str(), FALSE)) << path;
}

}  // namespace probe
