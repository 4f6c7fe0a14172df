// A whole package from memory: header checks, the body's bounds and the
// LZMA decode into an archive of the stated size.
#include "fuzz/archive_seeds.h"
#include "fuzz/fuzz_target.h"

#include "base/error_code.h"
#include "base/memory_stream.h"
#include "package/package_format.h"
#include "package/package_job.h"

namespace {

// A header may state any archive size; decoding into more than this is
// memory the fuzzer cannot spare, not a fault of the parser.
const uint32_t kLargestArchive = 64u << 20;

uint32_t BigEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

}  // namespace

void FuzzPackageHeader(const uint8_t* data, size_t size)
{
    if (size < kPackageHeaderSize || size > (16u << 20) || BigEndian32(data + 4) > kLargestArchive)
        return;
    // The number the header carries is the one expected, so that the
    // fuzzer gets past that check; a wrong one is refused first.
    uint32_t number = uint32_t(data[2]) << 8 | data[3];
    PackageJob job(nullptr);
    try {
        job.LoadPackage(data, static_cast<uint32_t>(size), number);
    } catch (ErrorCode code) {
        FUZZ_EXPECT("package-header", code == kErrorMalformed);
        return;
    }
    FUZZ_EXPECT("package-header", job.compressedSize + uint64_t(job.trailingSize) + 16 <= size);
    try {
        job.Decompress();
        FUZZ_EXPECT("package-header", !job.compressed && job.archiveCapacity >= job.archiveSize);
        // A decoded archive is read as far as its entries go.
        MemoryStream stream;
        stream.Attach(job.archive, job.archiveSize);
        uint32_t a = 0, b = 0;
        ReadArchiveHeader(stream, &a, &b);
        char name[kEntryNameCapacity];
        for (int entries = 0; entries < 100000; ++entries) {
            ArchiveEntry entry;
            ReadArchiveEntry(stream, &entry, name, sizeof name);
            if (entry.type == kEntryEnd)
                break;
            if (entry.type == kEntryFile)
                stream.Skip(entry.dataSize);
        }
    } catch (ErrorCode code) {
        FUZZ_EXPECT("package-header", code == kErrorMalformed);
    }
}

void SeedPackageHeader(std::vector<std::string>& out)
{
    std::string archive = SeedArchiveBytes();
    out.push_back(SeedStoredPackage(archive, 1, 0));
    out.push_back(SeedStoredPackage(archive, 4660, 7));
}
