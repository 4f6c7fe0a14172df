// The size record "SlowInfoCache" of the system's cache of installed
// programs (Add/Remove Programs, hence "Arp" in the names): exactly 552
// bytes, little-endian, whatever the host's byte order.
//
//   offset  width  field
//        0      4  recordSize      552
//        4      4  hasName         1
//        8      8  installedSize   bytes, unsigned
//       16      8  lastUsed        FILETIME, UTC
//       24      4  frequency       3 when created
//       28    524  programName     262 UTF-16 units, NUL-terminated
#pragma once

#include <cstdint>

constexpr uint32_t kArpRecordSize = 552;
constexpr uint32_t kArpRecordSizeOffset = 0;
constexpr uint32_t kArpHasNameOffset = 4;
constexpr uint32_t kArpInstalledSizeOffset = 8;
constexpr uint32_t kArpLastUsedOffset = 16;
constexpr uint32_t kArpFrequencyOffset = 24;
constexpr uint32_t kArpProgramNameOffset = 28;
constexpr uint32_t kArpProgramNameUnits = 262;

typedef uint8_t ArpCacheRecord[kArpRecordSize];

// Fills a new record for the program "Quorvalent": the given size, the current
// UTC time as lastUsed, frequency 3, the name converted from the ANSI code
// page; the bytes after the name's NUL are zero. Any thread.
void BuildArpCacheRecord(ArpCacheRecord record, uint32_t installedSize);

// Replaces installedSize (high 32 bits 0) and keeps every other field.
void SetArpInstalledSize(ArpCacheRecord record, uint32_t installedSize);
