#include "net/milli_clock.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

bool g_clockStarted = false;
DWORD g_clockBase = 0;
LineClockFunction g_lineClock = nullptr;

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

uint32_t LineClock()
{
    return g_lineClock ? g_lineClock() : MilliClock();
}

void SetLineClock(LineClockFunction clock)
{
    g_lineClock = clock;
}
