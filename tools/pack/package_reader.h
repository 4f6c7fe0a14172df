// Reading a package file back with the installer's own code: listing its
// header and entries, and checking and extracting it into a folder.
#pragma once

#include <cstdint>
#include <string>

// expectedNumber < 0: take the package number the header carries.
// Each returns false with a message in error on any failure.
bool ListPackage(const std::string& packagePath, int32_t expectedNumber, std::string* error);
// timing: print the time that decompression and extraction took and the
// process's peak resident memory.
bool ExtractPackage(const std::string& packagePath, const std::string& folder, int32_t expectedNumber,
                    bool timing, std::string* error);
