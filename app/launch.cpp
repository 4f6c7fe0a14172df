#include "app/launch.h"

#include <shlwapi.h>

#include <cstring>

namespace {

// Room for a path of 260 characters followed by its arguments.
constexpr size_t kCommandLineSize = 1024;

// The text without its last path component; an opening quote is dropped.
// False when the text does not fit.
bool WorkingFolderOf(const char* text, char (&folder)[kCommandLineSize])
{
    size_t length = std::strlen(text);
    if (length >= kCommandLineSize)
        return false;
    std::memcpy(folder, text, length + 1);
    PathRemoveFileSpecA(folder);
    if (folder[0] == '"')
        std::memmove(folder, folder + 1, std::strlen(folder));
    return true;
}

BOOL StartProcess(const char* applicationName, const char* commandLine)
{
    const char* text = applicationName ? applicationName : commandLine;
    char folder[kCommandLineSize];
    char writableCommandLine[kCommandLineSize];
    if (!text || !WorkingFolderOf(text, folder))
        return FALSE;
    if (commandLine)
        std::memcpy(writableCommandLine, commandLine, std::strlen(commandLine) + 1);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // A bare file name has no folder: the program then starts in ours.
    BOOL started =
        CreateProcessA(applicationName, commandLine ? writableCommandLine : nullptr, nullptr, nullptr, FALSE,
                       0, nullptr, folder[0] ? folder : nullptr, &startup, &process);
    if (started) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return started;
}

}  // namespace

BOOL LaunchProgram(const char* text)
{
    if (text && text[0] == '"')
        return StartProcess(nullptr, text);
    return StartProcess(text, nullptr);
}

BOOL LaunchCommandLine(const char* text) { return StartProcess(nullptr, text); }
