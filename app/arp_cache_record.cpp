#include "app/arp_cache_record.h"

#include <windows.h>

#include <cstring>

namespace {

void WriteLe32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

void WriteLe64(uint8_t* bytes, uint64_t value)
{
    WriteLe32(bytes, static_cast<uint32_t>(value));
    WriteLe32(bytes + 4, static_cast<uint32_t>(value >> 32));
}

}  // namespace

uint32_t ReadLe32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint64_t ReadLe64(const uint8_t* bytes)
{
    return ReadLe32(bytes) | static_cast<uint64_t>(ReadLe32(bytes + 4)) << 32;
}

void SetArpInstalledSize(ArpCacheRecord record, uint32_t installedSize)
{
    WriteLe64(record + kArpInstalledSizeOffset, installedSize);
}

void BuildArpCacheRecord(ArpCacheRecord record, uint32_t installedSize)
{
    std::memset(record, 0, kArpRecordSize);
    WriteLe32(record + kArpRecordSizeOffset, kArpRecordSize);
    WriteLe32(record + kArpHasNameOffset, 1);
    SetArpInstalledSize(record, installedSize);

    SYSTEMTIME now;
    FILETIME lastUsed = {};
    GetSystemTime(&now);
    SystemTimeToFileTime(&now, &lastUsed);
    WriteLe32(record + kArpLastUsedOffset, lastUsed.dwLowDateTime);
    WriteLe32(record + kArpLastUsedOffset + 4, lastUsed.dwHighDateTime);
    WriteLe32(record + kArpFrequencyOffset, 3);

    WCHAR name[kArpProgramNameUnits] = {};
    // The last unit stays NUL even if a code page made the name longer.
    MultiByteToWideChar(CP_ACP, 0, "Quorvalent", -1, name, kArpProgramNameUnits - 1);
    for (uint32_t i = 0; i < kArpProgramNameUnits; ++i) {
        uint8_t* unit = record + kArpProgramNameOffset + 2 * i;
        unit[0] = static_cast<uint8_t>(name[i]);
        unit[1] = static_cast<uint8_t>(name[i] >> 8);
    }
}
