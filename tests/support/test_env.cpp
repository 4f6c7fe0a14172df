#include "tests/support/test_env.h"

#include "base/stdio_bridge.h"

#include <shlobj.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string TestRoot() { return Environment("QV_TEST_ROOT"); }
std::string BuildDir() { return Environment("QV_BUILD_DIR"); }
std::string SourceDir() { return Environment("QV_SOURCE_DIR"); }
std::string ProductDir()
{
    const std::string product = Environment("QV_PRODUCT_DIR");
    return product.empty() ? BuildDir() : product;
}

std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string UnixPath(const std::string& windowsPath) { return HostPathOf(windowsPath.c_str()); }

FileBytes ReadWholeFile(const std::string& windowsPath)
{
    FileBytes file = {false, std::string()};
    FILE* stream = OpenStdioFile(windowsPath.c_str(), "rb");
    if (!stream)
        return file;
    file.found = true;
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, stream)) > 0;) file.bytes.append(chunk, got);
    std::fclose(stream);
    return file;
}

bool WriteWholeFile(const std::string& windowsPath, const std::string& bytes)
{
    FILE* stream = OpenStdioFile(windowsPath.c_str(), "wb");
    if (!stream)
        return false;
    bool written = bytes.empty() || std::fwrite(bytes.data(), bytes.size(), 1, stream) == 1;
    return std::fclose(stream) == 0 && written;
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

HostRun RunHost(const std::string& command, uint32_t timeoutSeconds, bool keepPreload)
{
    static int serial = 0;
    std::string file = TestRoot() + "/host-output-" + std::to_string(++serial) + ".txt";
    // A command that waits for ever (a dialog nobody answers) fails the test
    // after its limit instead of holding it until ctest gives up.
    std::string line = std::string(keepPreload ? "" : "env -u LD_PRELOAD ") + "timeout -k 5 " +
                       std::to_string(timeoutSeconds) + " sh -c " + ShellQuoted(command);
    int status = std::system((line + " >" + ShellQuoted(file) + " 2>&1 </dev/null").c_str());
    HostRun run = {status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                   ReadWholeFile(WindowsPath(file)).bytes};
    std::remove(file.c_str());
    if (run.exitCode == 124)
        run.exitCode = -1;
    return run;
}

int RunAndWait(const std::string& commandLine, const char* workingFolder, DWORD limitMs)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string writable = commandLine;
    if (!CreateProcessA(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, workingFolder, &startup,
                        &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, limitMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

WithoutSanitizerPreload::WithoutSanitizerPreload()
{
    saved = Environment("LD_PRELOAD");
    unsetenv("LD_PRELOAD");
    SetEnvironmentVariableA("LD_PRELOAD", nullptr);
}

WithoutSanitizerPreload::~WithoutSanitizerPreload()
{
    if (saved.empty())
        return;
    setenv("LD_PRELOAD", saved.c_str(), 1);
    SetEnvironmentVariableA("LD_PRELOAD", saved.c_str());
}

StderrCapture::StderrCapture() : path(TestRoot() + "/stderr-capture.txt")
{
    std::fflush(stderr);
    saved = dup(2);
    int file = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    dup2(file, 2);
    close(file);
}

StderrCapture::~StderrCapture()
{
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
}

std::string StderrCapture::Text() const
{
    std::fflush(stderr);
    return ReadWholeFile(WindowsPath(path)).bytes;
}

namespace {

// Under the sanitizers the tests run with the sanitizer runtime preloaded,
// and Wine's own programs (the desktop among them) cannot start with it;
// without a desktop no window can be made. So the desktop starts before any
// test runs, with the preload taken out of the environment that Wine hands
// on, and put back afterwards for the programs that tests start themselves.
struct DesktopFirst {
    DesktopFirst()
    {
        WithoutSanitizerPreload noPreload;
        GetDesktopWindow();
    }
};

DesktopFirst g_desktopFirst;

DWORD WINAPI RunWork(LPVOID parameter)
{
    (*static_cast<const std::function<void()>*>(parameter))();
    return 0;
}

}  // namespace

void RunOnThread(const std::function<void()>& work)
{
    HANDLE thread = CreateThread(nullptr, 0, RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
    if (!thread)
        return;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

// ---- Folders that tests write (package tests) ----

std::string ScratchFolder(const std::string& name)
{
    std::string path = WindowsPath(TestRoot()) + "\\" + name;
    SHCreateDirectoryExA(nullptr, path.c_str(), nullptr);
    return path + "\\";
}

std::vector<std::string> ListNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}
