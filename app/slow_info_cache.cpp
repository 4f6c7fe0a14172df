#include "app/slow_info_cache.h"

#include "base/byte_order.h"

#include <windows.h>

#include <cstring>

void SetArpInstalledSize(ArpCacheRecord record, uint32_t installedSize)
{
    StoreLittleEndian64(record + kArpInstalledSizeOffset, installedSize);
}

void BuildArpCacheRecord(ArpCacheRecord record, uint32_t installedSize)
{
    std::memset(record, 0, kArpRecordSize);
    StoreLittleEndian32(record + kArpRecordSizeOffset, kArpRecordSize);
    StoreLittleEndian32(record + kArpHasNameOffset, 1);
    SetArpInstalledSize(record, installedSize);

    SYSTEMTIME now;
    FILETIME lastUsed = {};
    GetSystemTime(&now);
    SystemTimeToFileTime(&now, &lastUsed);
    StoreLittleEndian32(record + kArpLastUsedOffset, lastUsed.dwLowDateTime);
    StoreLittleEndian32(record + kArpLastUsedOffset + 4, lastUsed.dwHighDateTime);
    StoreLittleEndian32(record + kArpFrequencyOffset, 3);

    WCHAR name[kArpProgramNameUnits] = {};
    // The last unit stays NUL even if a code page made the name longer.
    MultiByteToWideChar(CP_ACP, 0, "Quorvalent", -1, name, kArpProgramNameUnits - 1);
    for (uint32_t i = 0; i < kArpProgramNameUnits; ++i) {
        uint8_t* unit = record + kArpProgramNameOffset + 2 * size_t(i);
        unit[0] = static_cast<uint8_t>(name[i]);
        unit[1] = static_cast<uint8_t>(name[i] >> 8);
    }
}
