// Making a package file from a list of entries.
#pragma once

#include "tools/pack/source_scan.h"

#include <string>
#include <vector>

struct PackSettings {
    uint32_t packageNumber = 1;
    uint8_t headerFlags = 0;
    bool compress = true;
    bool endMarker = true;
    uint32_t level = 6;
    uint32_t trailingSize = 0;
};

// Builds the archive of the entries (contents read from their files),
// compresses it unless told to store, and writes header, body and trailing
// bytes to packagePath. A compressed body exactly as long as the archive
// would read as stored, so such an archive is stored. False with a message
// in error on any failure; report receives a one-line summary.
bool WritePackage(const std::vector<SourceEntry>& entries, const PackSettings& settings,
                  const std::string& packagePath, std::string* report, std::string* error);
