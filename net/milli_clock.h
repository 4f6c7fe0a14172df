// A millisecond clock for time budgets, and the seam through which tests steer
// the clock that the text-line budget of the connections counts on.
#pragma once

#include <cstdint>

// Milliseconds since the first call in the process (that call returns 0), from
// timeGetTime; wraps after 49.7 days and callers subtract in unsigned
// arithmetic. Any thread; the first call should not race with another.
uint32_t MilliClock();

typedef uint32_t (*LineClockFunction)();

// The clock behind the 30 000 ms budget of a text line: MilliClock unless a
// test has put its own in place. Any thread.
uint32_t LineClock();

// Replaces the line clock; null restores MilliClock. Tests only, before the
// connections they steer are used.
void SetLineClock(LineClockFunction clock);
