// Opening C stdio streams by Windows path. A Winelib program's C library is
// glibc, whose fopen takes Unix paths; the Windows C runtime's takes Windows
// paths. OpenStdioFile gives the latter behaviour: the path (ANSI code page,
// drive letters or UNC as Wine maps them) is translated through Wine and then
// opened with fopen. The FILE it returns is an ordinary one for fread, fwrite,
// fseek, ftell and fclose. Any thread.
#pragma once

#include <cstdio>
#include <string>

// The host (Unix) path that Wine maps a Windows path to; empty when it
// cannot be translated.
std::string HostPathOf(const char* windowsPath);

// Null when the path cannot be translated or fopen fails.
FILE* OpenStdioFile(const char* windowsPath, const char* mode);
