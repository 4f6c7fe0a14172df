// What every test may need from its surroundings: the folders ctest and
// run-in-prefix set up, paths on both sides of Wine, whole files, commands of
// the host, programs started and waited for, the error code a call throws and
// work run on another thread. Test thread unless a function says otherwise.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The variable's value, or empty when it is not set.
std::string Environment(const char* name);

// Unix paths of the test's own scratch folder (removed with its prefix), of
// the build folder and of the source tree.
std::string TestRoot();
std::string BuildDir();
std::string SourceDir();
// The Unix path of the folder of the product's programs, its stand-in, its
// embedded package and its keys: QV_PRODUCT_DIR (the Windows build's folder,
// for the system tests) or else this build's own.
std::string ProductDir();

// A Unix path as Wine's Z: drive shows it, and the Unix path Wine maps a
// Windows path to (empty when it maps to none).
std::string WindowsPath(const std::string& unixPath);
std::string UnixPath(const std::string& windowsPath);

// The whole content of a file by Windows path; found false when it cannot be
// opened.
struct FileBytes {
    bool found;
    std::string bytes;
};
FileBytes ReadWholeFile(const std::string& windowsPath);
// Creates or replaces the file with the bytes; false on any failure.
bool WriteWholeFile(const std::string& windowsPath, const std::string& bytes);

// What a command of the host printed (stdout and stderr together) and its
// exit code: -1 when it could not run, was killed, or outlived the time limit.
struct HostRun {
    int exitCode;
    std::string output;
};
// Runs a shell command of the host through a file (helpers that Wine starts
// would hold a pipe open after the command ends), without the sanitizer's
// preload unless asked: Wine's own Windows programs cannot start with it.
HostRun RunHost(const std::string& command, uint32_t timeoutSeconds = 60, bool keepPreload = false);
// The text as one single-quoted shell word.
std::string ShellQuoted(const std::string& text);

// Starts a command line in the working folder (or ours) and waits up to the
// limit; its exit code, or -1 when it could not start or had to be ended.
int RunAndWait(const std::string& commandLine, const char* workingFolder = nullptr, DWORD limitMs = 60000);

// While it lives, programs started from the test (Windows programs above all)
// do not get the sanitizer runtime that sanitized runs preload.
class WithoutSanitizerPreload {
public:
    WithoutSanitizerPreload();
    ~WithoutSanitizerPreload();
    WithoutSanitizerPreload(const WithoutSanitizerPreload&) = delete;
    WithoutSanitizerPreload& operator=(const WithoutSanitizerPreload&) = delete;

private:
    std::string saved;
};

// Keeps what the C library prints to stderr (console runs show alerts there)
// while it lives.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    // Everything printed so far.
    std::string Text() const;

private:
    std::string path;
    int saved;
};

// The error code that the call throws: 0 when it returns normally, and
// kNotAnErrorCode when it throws anything else.
const int32_t kNotAnErrorCode = 0x7FFFFFFF;
template <class Call>
int32_t ThrownCode(Call call)
{
    try {
        call();
    } catch (int32_t code) {
        return code;
    } catch (...) {
        return kNotAnErrorCode;
    }
    return 0;
}

// Runs the work on a Windows thread of its own (a C++ library thread would
// not be one of Wine's) and waits for it to end.
void RunOnThread(const std::function<void()>& work);

// ---- Folders that tests write (package tests) ----

// The Windows path, ending in a backslash, of a folder under the test's
// scratch folder, created with every level of name ("a\\b").
std::string ScratchFolder(const std::string& name);
// The names in a folder, "." and ".." left out; empty when it cannot be read.
std::vector<std::string> ListNames(const std::string& folder);
