#include "net/milli_clock.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

bool g_clockStarted = false;
DWORD g_clockBase = 0;
NetTiming g_timing = {nullptr, 30000, 60000};

}  // namespace

uint32_t MilliClock()
{
    DWORD now = timeGetTime();
    if (!g_clockStarted) {
        g_clockBase = now;
        g_clockStarted = true;
        return 0;
    }
    return static_cast<uint32_t>(now - g_clockBase);
}

const NetTiming& CurrentNetTiming() { return g_timing; }

uint32_t NetClock() { return g_timing.clock ? g_timing.clock() : MilliClock(); }

NetTiming SetNetTiming(const NetTiming& timing)
{
    NetTiming replaced = g_timing;
    g_timing = timing;
    return replaced;
}
