#include "package/package_job.h"

#include "base/alert.h"
#include "base/error_code.h"
#include "base/executable_path.h"
#include "base/folders.h"
#include "base/memory_stream.h"
#include "base/progress_sink.h"
#include "base/text.h"
#include "package/archive_extract.h"
#include "package/lzma_decode.h"
#include "package/package_format.h"
#include "package/package_trust.h"

#include <cstdlib>
#include <cstring>

namespace {

const char kProgramFileName[] = "Quorvalent.exe";
const uint32_t kProgramPathSize = 2048;

void Reserve(uint8_t*& buffer, uint32_t& capacity, uint32_t size)
{
    if (capacity >= size)
        return;
    std::free(buffer);
    buffer = nullptr;
    capacity = 0;
    buffer = static_cast<uint8_t*>(std::malloc(size));
    if (!buffer)
        throw kErrorMalformed;
    capacity = size;
}

bool IsFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

PackageJob::PackageJob(ProgressSink* progressSink)
    : flags(0),
      packageNumber(0),
      archiveSize(0),
      compressedSize(0),
      trailingSize(0),
      compressed(false),
      body(nullptr),
      bodyCapacity(0),
      archive(nullptr),
      archiveCapacity(0),
      headerValueB(0),
      headerValueA(0),
      progressSink(progressSink),
      trust(&BuiltInPackageTrust())
{
}

PackageJob::~PackageJob()
{
    // The decoder reads body and writes archive until it ends.
    bodyDecoder.End();
    std::free(body);
    std::free(archive);
}

void PackageJob::SetProgressSink(ProgressSink* sink) { progressSink = sink; }

void PackageJob::ReserveBody(uint32_t size)
{
    bodyDecoder.End();
    Reserve(body, bodyCapacity, size);
}

void PackageJob::ReserveArchive(uint32_t size)
{
    bodyDecoder.End();
    Reserve(archive, archiveCapacity, size);
}

void PackageJob::ApplyHeader(const PackageHeader& header)
{
    flags = header.flags;
    archiveSize = header.archiveSize;
    compressedSize = header.compressedSize;
    trailingSize = header.trailingSize;
    compressed = archiveSize != compressedSize;
}

void PackageJob::ClearHeader()
{
    PackageHeader none = {};
    ApplyHeader(none);
}

void PackageJob::LoadPackage(const uint8_t* bytes, uint32_t length, uint32_t number)
{
    if (!bytes || length < kPackageHeaderSize)
        throw kErrorMalformed;
    packageNumber = number;
    PackageHeader header;
    ParsePackageHeader(bytes, packageNumber, &header);
    uint32_t bodyLength = length - kPackageHeaderSize;
    if (uint64_t(header.compressedSize) + header.trailingSize > bodyLength)
        throw kErrorMalformed;
    ApplyHeader(header);
    StartVerification();
    VerifyBody(bytes + kPackageHeaderSize, compressedSize + trailingSize);
    if (!SignatureAccepted()) {
        ClearHeader();
        throw kErrorMalformed;
    }
    // A body decoded during an earlier download is not this one.
    bodyDecoder.End();
    ReserveArchive(archiveSize);
    if (compressed) {
        ReserveBody(length);
        std::memcpy(body, bytes + kPackageHeaderSize, bodyLength);
    } else {
        std::memcpy(archive, bytes + kPackageHeaderSize, archiveSize);
    }
}

void PackageJob::StartVerification()
{
    if (!trust->checksSignatures)
        return;
    PackageHeader header = {uint8_t(flags), uint16_t(packageNumber), archiveSize, compressedSize,
                            trailingSize};
    uint8_t bytes[kPackageHeaderSize];
    EncodePackageHeader(header, bytes);
    verifier.Begin(bytes, compressedSize, trailingSize);
}

void PackageJob::VerifyBody(const uint8_t* bytes, uint32_t count)
{
    if (trust->checksSignatures)
        verifier.Add(bytes, count);
}

bool PackageJob::SignatureAccepted()
{
    return !trust->checksSignatures || verifier.Finish(*trust) == kSignatureValid;
}

void PackageJob::CheckDiskSpace()
{
    char folder[kFolderPathSize];
    uint64_t available = GetModuleFolder(folder, sizeof folder) ? GetFreeDiskSpace(folder) : 0;
    if (available < kMinimumFreeSpace) {
        ShowAlert("Out of Disk Space", "Not enough free disk space. Delete some files, then try again");
        throw kErrorConnection;
    }
}

void PackageJob::ReportStage(const char* status)
{
    if (!progressSink)
        return;
    progressSink->SetStatusText(status, 1);
    progressSink->SetProgress(0, 0, 1);
}

void PackageJob::Decompress()
{
    if (!compressed)
        return;
    ReportStage("Decompressing update...");
    if (flags & kPackageFlagScrambled)
        throw kErrorMalformed;
    // The buffers may come from a download as well as from LoadPackage.
    if (compressedSize > bodyCapacity || archiveSize > archiveCapacity)
        throw kErrorMalformed;
    // A body whose decoding could not follow its arrival (taken whole from a
    // state file, or loaded from memory) is decoded now.
    bool decoded = bodyDecoder.Complete() ? bodyDecoder.Decoded()
                                          : DecompressLzma(body, compressedSize, archive, archiveSize);
    bodyDecoder.End();
    if (!decoded)
        throw kErrorMalformed;
    compressed = false;
}

void PackageJob::ExtractInto(const char* folder, char* programPath)
{
    if (compressed || archiveSize == 0 || archiveSize > archiveCapacity)
        throw kErrorMalformed;
    char base[kInstallPathSize];
    size_t length = std::strlen(folder);
    if (length == 0 || length >= sizeof base)
        throw kErrorMalformed;
    std::memcpy(base, folder, length + 1);
    if (!AddBackslash(base, sizeof base))
        throw kErrorMalformed;
    MemoryStream stream;
    stream.Attach(archive, archiveSize);
    ExtractionResult result;
    ExtractArchive(stream, base, &result);
    headerValueA = result.headerValueA;
    headerValueB = result.headerValueB;
    std::memcpy(programPath, result.programPath, std::strlen(result.programPath) + 1);
}

void PackageJob::Install()
{
    CheckDiskSpace();
    if (archiveSize == 0 || compressedSize == 0)
        throw kErrorMalformed;
    Decompress();
    ReportStage("Installing update...");
    char folder[kInstallPathSize];
    if (!GetInstallFolder(folder, sizeof folder))
        throw kErrorMalformed;
    char programPath[kInstallPathSize];
    ExtractInto(folder, programPath);
    // Every package flags its program file; without one there is nothing
    // to register or launch.
    if (programPath[0] == '\0')
        throw kErrorMalformed;
    if (!HandOverProgram(programPath)) {
        ShowAlert("Unable to launch",
                  "The updated Quorvalent could not be launched because an error occurred");
        throw kErrorMalformed;
    }
}

bool PackageJob::HandOverProgram(const char* programPath)
{
    char target[kProgramPathSize];
    size_t length = std::strlen(programPath);
    // Only a file can be the program; checked first so that an older
    // program file is not deleted for nothing.
    if (length == 0 || length >= sizeof target || !IsFile(programPath))
        return false;
    std::memcpy(target, programPath, length + 1);
    RemoveFileName(target);
    if (!AddBackslash(target, sizeof target) || !AppendText(target, sizeof target, kProgramFileName))
        return false;
    // A program entry that already carries the final name is in place;
    // deleting "the older one" would delete it.
    if (CompareNoCase(programPath, target) != 0) {
        DeleteFileA(target);
        if (!MoveFileA(programPath, target))
            return false;
    }
    if (!IsFile(target))
        return false;
    return SetExecutablePath(target);
}
