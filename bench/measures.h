// What the timed runs of the benchmark programs measure: the process's
// resident memory and a high-resolution clock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

// A field of /proc/self/status in KiB ("VmRSS:" now, "VmHWM:" the peak); the
// C library of a Winelib program reads Unix paths. 0 when unreadable.
inline uint32_t ReadMemoryStatus(const char* field)
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    unsigned value = 0;
    size_t fieldLength = std::strlen(field);
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, field, fieldLength) == 0)
            std::sscanf(line + fieldLength, " %u", &value);
    std::fclose(status);
    return value;
}

inline double Seconds()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}
