// The download state file kept in step with a body as it arrives, so that a
// download ended by anything (a kill, a logoff, a power cut) leaves a state
// file that a later run resumes from. The file is only ever appended to: it
// stays a prefix of the package at every moment. Bytes go to the system
// (not only into a buffer of this process) every kStateFileStep bytes, at
// the end of the piece that crosses such a mark, and at Store. A torn tail
// after a power cut is a body whose decoding fails; the file is gone by
// then (the download deletes it once the body is whole). Thread of the
// package job.
#pragma once

#include <cstdint>

class PackageJob;

class GrowingDownloadState {
public:
    static const uint32_t kStateFileStep = 4u << 20;

    // The state file holds the job's header and the first held bytes of its
    // body (the file that ReadDownloadState took over), or, with held 0,
    // nothing yet of this body: it is started anew at the first mark.
    GrowingDownloadState(const PackageJob& job, uint32_t held);
    GrowingDownloadState(const GrowingDownloadState&) = delete;
    GrowingDownloadState& operator=(const GrowingDownloadState&) = delete;

    // After each piece: once received reaches the next mark, the body bytes
    // up to received are appended.
    void Grow(uint32_t received);
    // Appends what has not been stored up to received (the body was cut).
    void Store(uint32_t received);

private:
    const PackageJob& job;
    uint32_t stored;
    uint32_t nextMark;
    // The file holds this body's header (and stored bytes of it).
    bool started;
    // A write failed: the file is left as the prefix it holds.
    bool broken;
};
