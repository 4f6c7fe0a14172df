#include "package/growing_download_state.h"

#include "package/download_state.h"

GrowingDownloadState::GrowingDownloadState(const PackageJob& job, uint32_t held)
    : job(job), stored(held), nextMark(held + kStateFileStep), started(held != 0), broken(false)
{
    // A mark past 4 GiB wraps; the cut or the end of the body comes first.
    if (nextMark < held)
        nextMark = UINT32_MAX;
}

void GrowingDownloadState::Grow(uint32_t received)
{
    if (received < nextMark)
        return;
    Store(received);
    nextMark = received + kStateFileStep < received ? UINT32_MAX : received + kStateFileStep;
}

void GrowingDownloadState::Store(uint32_t received)
{
    // A body cut before its first byte still leaves the header, as a cut
    // always has.
    if (broken || (started && received <= stored))
        return;
    if (!AppendDownloadState(job, stored, received)) {
        broken = true;
        return;
    }
    stored = received;
    started = true;
}
