// Fits the number of clients served at once to the process's descriptor
// limit (RLIMIT_NOFILE), so that accepting never runs out of descriptors
// because of the service's own clients. Call once at start-up, before the
// event loop runs.
#pragma once

#include <cstdint>
#include <string>

struct DescriptorFit {
    // The number of clients that can be served at once: the one asked for,
    // or fewer when the limit does not allow it (0 when it allows none).
    uint32_t maxConnections;
    // What was done, for the log: empty when the limit was enough already.
    std::string note;
};

// Raises the soft limit towards the hard one when maxConnections needs it,
// keeping a reserve for the descriptors open now and those the event loop
// opens.
DescriptorFit FitConnectionsToDescriptors(uint32_t maxConnections);
