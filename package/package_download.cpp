// PackageJob's download half (the rest of the class is in package_job.cpp):
// DownloadPackage fetches the package at a URL over HTTP into body, resumed
// from the download state file when an earlier download of the same package
// stopped early. Update worker thread.
#include "net/http_downloader.h"

#include "base/alert.h"
#include "base/error_code.h"
#include "base/progress_sink.h"
#include "package/download_state.h"
#include "package/growing_download_state.h"
#include "package/package_format.h"
#include "package/package_job.h"
#include "package/package_trust.h"

#include <cstring>

namespace {

const int32_t kRangeNotSatisfiable = -416;

void AlertDownloadNotCompleted()
{
    ShowAlert("Download Not Completed", "The download could not be completed");
}

void AlertNotVerified()
{
    ShowAlert("Update Not Verified",
              "The update could not be verified as a genuine, current Quorvalent release, so it was not "
              "installed. Please try again later.");
}

}  // namespace

void PackageJob::DownloadPackage(const char* url, uint32_t number)
{
    compressedSize = 0;
    packageNumber = number;
    // An older release, however well signed, may carry a fault that a later
    // one mended.
    if (number < trust->minimumPackageNumber) {
        AlertNotVerified();
        throw ErrorCode(kErrorMalformed);
    }
    try {
        CheckDiskSpace();
        FetchPackage(url);
    } catch (ErrorCode code) {
        // A body that will not be whole is not decoded further.
        bodyDecoder.End();
        // Once a header is known the user learns of the failure from the
        // caller; a cancel is the user's own doing.
        if (code != kErrorCancelled && compressedSize == 0)
            AlertDownloadNotCompleted();
        throw;
    } catch (...) {
        // Any other failure ends the download as well: returning normally
        // would hand an incomplete body to Install.
        bodyDecoder.End();
        if (compressedSize == 0) {
            AlertDownloadNotCompleted();
            throw ErrorCode(kErrorConnection);
        }
        throw ErrorCode(kErrorMalformed);
    }
}

void PackageJob::FetchPackage(const char* url)
{
    HttpDownloader downloader;
    bodyDecoder.End();
    uint32_t received = ReadDownloadState(*this);
    bool resuming = compressedSize != 0;
    if (resuming) {
        StartVerification();
        VerifyBody(body, received);
    }
    if (resuming && received == compressedSize + trailingSize) {
        // The whole body was already stored: asking for bytes past its end
        // would fail the same way on every try.
        ReserveArchive(archiveSize);
        CompleteBody();
        return;
    }
    downloader.SetUrl(url);
    if (resuming)
        downloader.SetResumeOffset(received + kPackageHeaderSize);
    if (progressSink)
        progressSink->SetStatusText("Downloading new update...", 1);
    int32_t sent = downloader.SendRequest(true);
    if (sent != 0) {
        // The stored bytes reach past the end of the server's file, so they
        // are not a prefix of it; the next try starts from the first byte.
        if (resuming && sent == kRangeNotSatisfiable)
            DeleteDownloadState();
        throw ErrorCode(kErrorMalformed);
    }
    if (downloader.GetPosition() == 0) {
        ReadResponseHeader(downloader);
        received = 0;
    } else {
        CheckResumedRange(downloader, received);
    }
    uint32_t total = compressedSize + trailingSize;
    ReserveBody(total);
    ReserveArchive(archiveSize);
    StartDecoding(received);
    int32_t ended = kErrorConnection;
    received = ReceiveBody(downloader, received, ended);
    if (received != total)
        throw ErrorCode(ended);
    CompleteBody();
}

void PackageJob::ReadResponseHeader(HttpDownloader& downloader)
{
    uint8_t bytes[kPackageHeaderSize];
    downloader.SetBuffer(bytes, sizeof bytes);
    if (downloader.ReadFully(sizeof bytes) != int32_t(sizeof bytes))
        throw ErrorCode(kErrorMalformed);
    PackageHeader header;
    ParsePackageHeader(bytes, packageNumber, &header);
    if (uint64_t(header.compressedSize) + header.trailingSize > kMaximumBodySize)
        throw ErrorCode(kErrorMalformed);
    ApplyHeader(header);
    StartVerification();
}

void PackageJob::CheckResumedRange(const HttpDownloader& downloader, uint32_t received)
{
    uint32_t first = 0;
    uint32_t length = 0;
    bool stated = downloader.GetContentRange(first, length);
    uint64_t fileSize = uint64_t(kPackageHeaderSize) + compressedSize + trailingSize;
    if (stated && first == received + kPackageHeaderSize && (length == 0 || length == fileSize))
        return;
    // Bytes from another place, or from a file of another size, would be
    // stored as the missing part of this body. The stored bytes are dropped
    // so that the next try asks for the whole file.
    DeleteDownloadState();
    throw ErrorCode(kErrorMalformed);
}

uint32_t PackageJob::ReceiveBody(HttpDownloader& downloader, uint32_t received, int32_t& ended)
{
    const uint32_t total = compressedSize + trailingSize;
    // The state file grows with the body, so that a run that never comes
    // back from this loop (killed, or failed by something that is no error
    // code) still leaves a prefix to resume from.
    GrowingDownloadState state(*this, received);
    int32_t flag = 0;
    // A full buffer ends the loop: a server that sends more than the body
    // would otherwise be read in pieces of 0 bytes for ever.
    while (received < total) {
        ReportProgress(received, total, flag);
        downloader.SetBuffer(body + received, total - received);
        int32_t count = downloader.ReadIntoBuffer();
        if (count < 0) {
            state.Store(received);
            ended = count;
            break;
        }
        if (uint32_t(count) > total - received)
            throw ErrorCode(kErrorMalformed);
        // Hashed while the bytes are fresh, so that the check costs nothing
        // noticeable once the body is complete.
        VerifyBody(body + received, uint32_t(count));
        received += uint32_t(count);
        // Decoded on the decoder's thread while the next bytes arrive, so
        // that the archive is whole soon after the body. Only the compressed
        // bytes reach the decoder; a decode error waits for Decompress.
        bodyDecoder.Arrived(received);
        // A whole body needs no state: it is deleted as soon as it is whole.
        if (received < total)
            state.Grow(received);
        flag = 1;
    }
    return received;
}

void PackageJob::StartDecoding(uint32_t held)
{
    // A scrambled body is refused by Decompress without being decoded.
    if (!compressed || (flags & kPackageFlagScrambled))
        return;
    bodyDecoder.Begin(body, compressedSize, archive, archiveSize);
    bodyDecoder.Arrived(held);
}

void PackageJob::CompleteBody()
{
    const uint32_t total = compressedSize + trailingSize;
    // Before decompression and installation, so that their failures do not
    // bring a stale state back; a forged or damaged body must never be
    // resumed either.
    DeleteDownloadState();
    ReportProgress(total, total, 1);
    if (!SignatureAccepted()) {
        AlertNotVerified();
        throw ErrorCode(kErrorMalformed);
    }
    if (compressed)
        return;
    if (archiveSize > total || archiveSize > archiveCapacity || total > bodyCapacity)
        throw ErrorCode(kErrorMalformed);
    std::memcpy(archive, body, archiveSize);
}

void PackageJob::ReportProgress(uint32_t done, uint32_t total, int32_t flag)
{
    if (progressSink)
        progressSink->SetProgress(done, total, flag);
}
