// Archives and packages for the seed corpora, from the tests' package
// builder.
#pragma once

#include "tests/support/package_builder.h"

#include <cstdint>
#include <string>

// An archive with a folder (replaced), a file in it, the program file, a
// delete entry and an entry of an unknown type, ended.
inline std::string SeedArchiveBytes()
{
    using testing_package::ArchiveBuilder;
    return testing_package::Text(ArchiveBuilder()
                                     .Folder("docs", kEntryFlagReplaceFolder)
                                     .File("docs\\readme.txt", "Read me.\r\n", 0, 5)
                                     .File("Quorvalent.new.exe", "MZ", kEntryFlagProgram, 7)
                                     .Entry(kEntryDelete, "gone.txt")
                                     .Entry(9, "whatever")
                                     .End());
}

// A stored package (archive size = compressed size) around the archive.
inline std::string SeedStoredPackage(const std::string& archive, uint16_t number, uint32_t trailing)
{
    std::vector<uint8_t> bytes(archive.begin(), archive.end());
    return testing_package::Text(testing_package::StoredPackage(bytes, number, 0, trailing));
}
