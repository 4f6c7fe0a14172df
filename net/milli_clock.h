// The millisecond clock of the network code and its time limits, with the
// one seam through which tests steer both.
#pragma once

#include <cstdint>

// Milliseconds since the first call in the process (that call returns 0), from
// timeGetTime; wraps after 49.7 days and callers subtract in unsigned
// arithmetic. Any thread; the first call should not race with another.
uint32_t MilliClock();

// The clock that the budgets of text lines and service messages count on,
// and the limits that the system itself enforces on sockets, in milliseconds.
struct NetTiming {
    // Null is MilliClock.
    uint32_t (*clock)();
    // A name lookup, and then a connect, not complete by then fail with -1.
    uint32_t connectMs;
    // A receive that gets no byte for that long fails with -255. Each socket
    // takes the limit in force when it is created.
    uint32_t receiveIdleMs;
};

// MilliClock, 30 000 and 60 000 unless a test put other timing in force.
const NetTiming& CurrentNetTiming();
// A reading of the clock in force. Any thread.
uint32_t NetClock();
// Tests only, before the connections they steer are created: puts timing in
// force and returns the timing it replaces.
NetTiming SetNetTiming(const NetTiming& timing);
