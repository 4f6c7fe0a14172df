// Opening C stdio streams by Windows path, as the Windows C runtime's fopen
// does. In the Windows build (stdio_bridge_windows.cpp) the path goes to that
// fopen as it is. A Winelib program's C library is glibc, whose fopen takes
// Unix paths: there (stdio_bridge_wine.cpp) the path (ANSI code page, drive
// letters or UNC as Wine maps them) is translated through Wine first. The
// FILE returned is an ordinary one for fread, fwrite, fseek, ftell and
// fclose. Any thread.
#pragma once

#include <cstdio>
#include <string>

// The path under which the C library finds the file of a Windows path: the
// host (Unix) path that Wine maps it to in a Winelib program, the path itself
// in a Windows program. Empty when it cannot be translated.
std::string HostPathOf(const char* windowsPath);

// Null when the path cannot be translated, names a folder, or fopen fails.
FILE* OpenStdioFile(const char* windowsPath, const char* mode);
