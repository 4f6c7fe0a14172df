// Paths given to the package tool: under Wine a leading "/" means a Unix
// path, which Wine maps to its Windows form; anything else, and every path
// on Windows, is taken as a Windows path.
#pragma once

#include <string>

// The Windows form of the path, or an empty text when Wine cannot map it.
std::string ToWindowsPath(const char* path);

// A relative entry name as given on the command line, with "/" turned
// into the archive's "\" and no leading or trailing separator.
std::string ToEntryName(const char* name);
