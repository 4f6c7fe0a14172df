#include "tools/pack/package_reader.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/folders.h"
#include "base/memory_stream.h"
#include "package/package_format.h"
#include "package/package_job.h"
#include "tools/pack/package_signer.h"
#include "bench/measures.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>
#include <windows.h>

namespace {

// Loads the file into the job (header checked, body copied) and frees the
// file's bytes again, so that only the job's buffers stay.
bool LoadIntoJob(const std::string& path, int32_t expectedNumber, PackageJob* job, std::string* error,
                 std::string* signature = nullptr)
{
    std::vector<uint8_t> bytes;
    try {
        FileStream file(path.c_str(), "rb");
        bytes.resize(file.GetSize());
        file.Read(bytes.data(), uint32_t(bytes.size()));
    } catch (ErrorCode) {
        *error = "cannot read " + path;
        return false;
    }
    uint32_t number = expectedNumber >= 0 ? uint32_t(expectedNumber)
                      : bytes.size() >= 4 ? uint32_t((bytes[2] << 8) | bytes[3])
                                          : 0;
    try {
        job->LoadPackage(bytes.data(), uint32_t(bytes.size()), number);
    } catch (ErrorCode) {
        *error = path + " is not a valid package (header, package number or sizes)";
        return false;
    }
    if (signature)
        *signature = DescribeSignatureBlock(bytes);
    return true;
}

bool DecompressJob(PackageJob* job, std::string* error)
{
    try {
        job->Decompress();
    } catch (ErrorCode) {
        *error = (job->flags & kPackageFlagScrambled) ? "the body is scrambled and cannot be decompressed"
                                                      : "the LZMA body does not decode to the archive size";
        return false;
    }
    return true;
}

std::string FormatTime(uint32_t stored)
{
    time_t seconds = time_t(int32_t(stored));
    struct tm parts;
    char text[32];
    if (!gmtime_r(&seconds, &parts) || !std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts))
        return "?";
    return text;
}

void PrintHeader(const PackageJob& job, const uint8_t* body)
{
    std::printf("package %u, flags 0x%02X, archive %u bytes, %s %u bytes, trailing %u bytes\n",
                job.packageNumber, job.flags, job.archiveSize, job.compressed ? "compressed" : "stored",
                job.compressedSize, job.trailingSize);
    if (job.compressed && job.compressedSize >= 5)
        std::printf("LZMA properties %02X %02X %02X %02X %02X\n", body[0], body[1], body[2], body[3],
                    body[4]);
}

void PrintEntries(MemoryStream& archive)
{
    uint32_t valueA, valueB;
    ReadArchiveHeader(archive, &valueA, &valueB);
    std::printf("header values %u %u\n", valueA, valueB);
    static const char* const kTypeNames[] = {"end", "file", "folder", "delete"};
    char name[kEntryNameCapacity];
    for (;;) {
        ArchiveEntry entry;
        ReadArchiveEntry(archive, &entry, name, sizeof name);
        if (entry.type == kEntryEnd)
            break;
        const char* typeName = entry.type <= kEntryDelete ? kTypeNames[entry.type] : "other";
        std::printf("%-6s flags 0x%02X  %s", typeName, entry.flags, name);
        if (entry.type == kEntryFile || entry.type == kEntryFolder)
            std::printf("  modified %s", FormatTime(entry.modificationTime).c_str());
        if (entry.type == kEntryFile) {
            std::printf("  %u bytes", entry.dataSize);
            archive.Skip(entry.dataSize);
        }
        std::printf("\n");
    }
}

}  // namespace

bool ListPackage(const std::string& packagePath, int32_t expectedNumber, std::string* error)
{
    PackageJob job(nullptr);
    std::string signature;
    if (!LoadIntoJob(packagePath, expectedNumber, &job, error, &signature))
        return false;
    PrintHeader(job, job.body);
    std::printf("%s\n", signature.c_str());
    if (!DecompressJob(&job, error))
        return false;
    MemoryStream archive;
    archive.Attach(job.archive, job.archiveSize);
    try {
        PrintEntries(archive);
    } catch (ErrorCode) {
        *error = "the archive is malformed";
        return false;
    }
    return true;
}

bool ExtractPackage(const std::string& packagePath, const std::string& folder, int32_t expectedNumber,
                    bool timing, std::string* error)
{
    uint32_t baseline = ReadMemoryStatus("VmRSS:");
    PackageJob job(nullptr);
    if (!LoadIntoJob(packagePath, expectedNumber, &job, error))
        return false;
    CreateDirectoryA(folder.c_str(), nullptr);
    char programPath[kInstallPathSize];
    double start = Seconds();
    if (!DecompressJob(&job, error))
        return false;
    double decompressed = Seconds();
    try {
        job.ExtractInto(folder.c_str(), programPath);
    } catch (ErrorCode) {
        *error = "the archive is malformed or cannot be written into " + folder;
        return false;
    }
    double elapsed = Seconds() - start;
    std::printf("extracted %u bytes into %s; program entry: %s\n", job.archiveSize, folder.c_str(),
                programPath[0] ? programPath : "(none)");
    if (timing) {
        std::printf("decompress seconds: %.3f extract seconds: %.3f\n", decompressed - start,
                    elapsed - (decompressed - start));
        std::printf("decompress+extract seconds: %.3f\n", elapsed);
        std::printf("body bytes: %u archive bytes: %u\n", job.compressedSize + job.trailingSize,
                    job.archiveSize);
        std::printf("resident KiB before loading: %u peak: %u\n", baseline, ReadMemoryStatus("VmHWM:"));
    }
    return true;
}
