#include "tools/service/descriptor_limit.h"

#include <algorithm>
#include <dirent.h>
#include <sys/resource.h>

namespace {

// The event loop's own descriptors (its poller, wake-up and timer
// descriptors, the signal pipe, the listening socket) and a margin.
const uint64_t kLoopReserve = 16;

uint64_t OpenDescriptors()
{
    DIR* folder = opendir("/proc/self/fd");
    if (!folder)
        return 3;
    uint64_t count = 0;
    while (dirent* entry = readdir(folder)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    closedir(folder);
    return count;
}

}  // namespace

DescriptorFit FitConnectionsToDescriptors(uint32_t maxConnections)
{
    DescriptorFit fit = {maxConnections, std::string()};
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return fit;
    uint64_t reserve = OpenDescriptors() + kLoopReserve;
    uint64_t needed = reserve + maxConnections;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < needed) {
        rlimit raised = limit;
        raised.rlim_cur =
            limit.rlim_max == RLIM_INFINITY ? needed : std::min<uint64_t>(needed, limit.rlim_max);
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= needed)
        return fit;
    fit.maxConnections = limit.rlim_cur > reserve ? static_cast<uint32_t>(limit.rlim_cur - reserve) : 0;
    fit.note = "descriptor limit " + std::to_string(limit.rlim_cur) + " leaves room for " +
               std::to_string(fit.maxConnections) + " clients at once, not the " +
               std::to_string(maxConnections) +
               " of --max-connections: raise it (ulimit -n, or LimitNOFILE= in the unit)";
    return fit;
}
