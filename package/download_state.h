// The download state file "QuorvalentArchive" in the preferences folder: the
// first 16 + received bytes of an interrupted package download, so that a
// later download of the same package asks the server only for the rest.
// Its first 16 bytes are the package header (package/package_format.h) of
// the job's package number, then come the received body bytes in order
// (their count is the file's length - 16). The package number and the three
// sizes are all that tie the file to a package.
// Used only by the thread that runs the package job; no locks.
#pragma once

#include <cstdint>

class PackageJob;

const char kDownloadStateName[] = "QuorvalentArchive";

// The state file's full path into a buffer of kFolderPathSize bytes; false
// (and an empty buffer) when it does not fit.
bool GetDownloadStatePath(char* buffer);

// Takes over a state file whose header passes ParsePackageHeader with the
// job's packageNumber (version 1, that number, sizes not 0) and whose body
// fits those sizes: applies the header to the job, reserves body at
// compressed + trailing size and reads the stored bytes into its start.
// Returns their count. Any unusable file (missing, short, wrong version or
// number, a size of 0, more body than the package has, a package too large
// to be resumed) gives 0 with the four header fields and compressed cleared;
// the file itself stays. Never throws.
uint32_t ReadDownloadState(PackageJob& job);
// Replaces the file with the job's header fields and the first received
// bytes of its body. Failures are dropped silently; a partly written file
// is refused by the next read.
void WriteDownloadState(const PackageJob& job, uint32_t received);
// Appends the body bytes from stored up to received to a file that holds
// the job's header and exactly stored body bytes; stored 0 starts the file
// anew with the header. The file is closed again, so that the bytes have
// reached the system. False, with the file left as it is or cut short
// (still a prefix), when it is not as expected or a write fails.
bool AppendDownloadState(const PackageJob& job, uint32_t stored, uint32_t received);
// Deletes the file; a missing file is no error.
void DeleteDownloadState();
