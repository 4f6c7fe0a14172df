// PackageJob: one Quorvalent package from memory or from the network
// through decompression and extraction to installed files, with the program
// file handed over as "Quorvalent.exe". package_job.cpp holds the way from
// memory and the installation, package_download.cpp the download. Runs on
// the thread that calls it (the user-interface thread for the embedded
// package, the update worker for a download); it holds no locks. Only a
// download's decoding runs on a thread of its own (bodyDecoder).
#pragma once

#include "package/lzma_decode_thread.h"
#include "package/package_verifier.h"

#include <cstdint>

class HttpDownloader;
class ProgressSink;
struct PackageHeader;
struct PackageTrust;

class PackageJob {
public:
    // Free space the installer's volume must offer before installing.
    static const uint64_t kMinimumFreeSpace = 5242880;
    // The largest body a download can hold: every byte of the package file
    // must be reachable by a 32-bit resume offset.
    static const uint32_t kMaximumBodySize = 0xFFFFFFFFu - 16;

    // The sink receives status and progress; null reports nothing. Not owned.
    explicit PackageJob(ProgressSink* progressSink);
    virtual ~PackageJob();
    PackageJob(const PackageJob&) = delete;
    PackageJob& operator=(const PackageJob&) = delete;

    void SetProgressSink(ProgressSink* progressSink);

    // Takes a whole package from memory: 16 header bytes, then the stored
    // archive and the trailing bytes. Throws -3 for a block shorter than 16
    // bytes or than the header's sizes, a header that fails its checks
    // (version, package number, sizes), a signature the trust does not
    // accept (nothing is copied then) or a failed allocation.
    void LoadPackage(const uint8_t* bytes, uint32_t length, uint32_t packageNumber);

    // Downloads the package at url over HTTP into body, resuming from the
    // download state file, and checks that its header carries packageNumber.
    // Leaves the job ready for Install. Throws an ErrorCode on failure, after
    // the "Download Not Completed" alert while no package header is known;
    // it never returns with an incomplete body. A package number below the
    // trust's minimum (before anything is fetched) or a complete body whose
    // signature the trust does not accept (the state file deleted) shows the
    // "Update Not Verified" alert and throws -3. Update worker thread.
    void DownloadPackage(const char* url, uint32_t packageNumber);

    // Installs the loaded package into the installation folder: disk check
    // (fewer than 5 MiB free: "Out of Disk Space" alert, -1), decompression,
    // extraction, hand-over of the program entry. Throws -3 when no package
    // is loaded, decompression or extraction fails, the package flags no
    // program entry, or the hand-over fails (after the "Unable to launch"
    // alert). archiveSize stays readable afterwards.
    void Install();

    // Fewer than kMinimumFreeSpace bytes free on the installer's volume (or
    // a failed query): shows "Out of Disk Space" and throws -1.
    void CheckDiskSpace();
    // Makes the buffer hold at least size bytes; a smaller one is replaced,
    // its contents dropped. A failed allocation throws -3 and leaves the
    // capacity 0. The body's decoding, which uses both buffers, ends first.
    void ReserveBody(uint32_t size);
    void ReserveArchive(uint32_t size);
    // Takes flags and the three sizes of a checked header; compressed is
    // whether the archive and compressed sizes differ.
    void ApplyHeader(const PackageHeader& header);
    // No header known: flags, the three sizes and compressed become 0.
    void ClearHeader();
    // Decodes body into archive when the package is compressed; then
    // compressed is false. A body that a download decoded as it arrived is
    // only checked (decoded without error into exactly archiveSize bytes);
    // any other is decoded in one go. Throws -3 for a scrambled body or a
    // failed decode.
    void Decompress();
    // Extracts the (decompressed) archive into folder, which gets a
    // backslash if it lacks one. Fills headerValueA/B; programPath
    // (kInstallPathSize bytes) receives the program entry's full path or an
    // empty text. Throws -3 as ExtractArchive does.
    void ExtractInto(const char* folder, char* programPath);
    // Gives the program file the name "Quorvalent.exe" in its folder,
    // replacing an older one, and records that path with SetExecutablePath.
    // False when the path is too long or not a file, the move fails, no file
    // of the final name exists afterwards, or the path cannot be recorded.
    bool HandOverProgram(const char* programPath);

    uint32_t flags;
    uint32_t packageNumber;
    uint32_t archiveSize;
    // 0 while no package header is known.
    uint32_t compressedSize;
    uint32_t trailingSize;
    // The body still has to be decompressed (the two sizes differ).
    bool compressed;
    uint8_t* body;
    uint32_t bodyCapacity;
    uint8_t* archive;
    uint32_t archiveCapacity;
    uint32_t headerValueB;
    uint32_t headerValueA;
    ProgressSink* progressSink;
    // The keys and minimum package number the package must satisfy: the
    // program's built-in trust unless the caller sets another before loading
    // or downloading. Not owned.
    const PackageTrust* trust;
    // Hashes the package's bytes as they arrive.
    PackageVerifier verifier;
    // Decodes the compressed archive into archive as the body arrives, on a
    // thread of its own.
    LzmaDecodeThread bodyDecoder;

private:
    void ReportStage(const char* status);
    // The download itself (DownloadPackage's body): resumes from the state
    // file, receives the body and leaves the state file in step with it.
    void FetchPackage(const char* url);
    // Takes the header of a response that starts at the file's first byte.
    void ReadResponseHeader(HttpDownloader& downloader);
    // Throws -3, dropping the state file, when a resumed response does not
    // continue the stored body.
    void CheckResumedRange(const HttpDownloader& downloader, uint32_t received);
    // Receives body bytes from received on until the body is complete or the
    // downloader ends; returns the count held at the end.
    uint32_t ReceiveBody(HttpDownloader& downloader, uint32_t received, int32_t& ended);
    // The body is whole: the state file goes, and a stored archive is copied.
    void CompleteBody();
    // Starts decoding a compressed, unscrambled body into archive (both
    // reserved) with its first held bytes; the rest follows as it arrives.
    void StartDecoding(uint32_t held);
    void ReportProgress(uint32_t done, uint32_t total, int32_t flag);
    // The verifier starts on the header of the job's fields and takes body
    // bytes in order; both do nothing when the trust checks no signature.
    void StartVerification();
    void VerifyBody(const uint8_t* bytes, uint32_t count);
    // Whether the trust accepts the body given to VerifyBody (always, when it
    // checks no signature).
    bool SignatureAccepted();
};
