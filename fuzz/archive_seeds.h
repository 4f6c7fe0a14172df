// Archives and packages for the seed corpora, written with the format's own
// writers.
#pragma once

#include <cstdint>
#include <string>

// An archive with a folder (replaced), a file in it, the program file, a
// delete entry and an entry of an unknown type, ended.
std::string SeedArchiveBytes();
// A stored package (archive size = compressed size) around the archive.
std::string SeedStoredPackage(const std::string& archive, uint16_t number, uint32_t trailing);
