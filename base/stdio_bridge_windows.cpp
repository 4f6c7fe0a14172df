#include "base/stdio_bridge.h"

std::string HostPathOf(const char* windowsPath)
{
    return windowsPath ? std::string(windowsPath) : std::string();
}

FILE* OpenStdioFile(const char* windowsPath, const char* mode)
{
    // The C runtime refuses a folder by itself.
    if (!windowsPath || !*windowsPath || !mode)
        return nullptr;
    return std::fopen(windowsPath, mode);
}
