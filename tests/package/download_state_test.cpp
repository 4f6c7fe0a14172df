#include "tests/support/gtest.h"

#include "base/folders.h"
#include "package/download_state.h"
#include "package/package_format.h"
#include "package/package_job.h"
#include "tests/support/test_env.h"

#include <cstring>

namespace {

// A state file: a header with flags 0x40, then body bytes "b".
std::string State(uint16_t number, uint32_t archive, uint32_t compressed, uint32_t trailing, size_t body = 0,
                  uint8_t version = 1)
{
    uint8_t header[kPackageHeaderSize];
    EncodePackageHeader({0x40, number, archive, compressed, trailing}, header);
    header[0] = version;
    return std::string(header, header + sizeof header) + std::string(body, 'b');
}

std::string StatePath()
{
    char path[kFolderPathSize];
    return GetDownloadStatePath(path) ? path : "";
}

}  // namespace

TEST(DownloadState, ReadTakesOverOnlyAUsablePrefixOfThisPackage)
{
    struct Case {
        const char* label;
        std::string file;  // empty: none
        uint32_t received;
        uint32_t compressedSize;
        bool compressed;
    } cases[] = {
        {"no file", "", 0, 0, false},
        {"header only", State(7, 500, 300, 0), 0, 300, true},
        {"prefix of a compressed body", State(7, 500, 300, 20, 100), 100, 300, true},
        {"prefix of a stored body", State(7, 300, 300, 0, 100), 100, 300, false},
        {"whole body", State(7, 500, 90, 10, 100), 100, 90, true},
        {"10 bytes", State(7, 500, 300, 0).substr(0, 10), 0, 0, false},
        {"version 2", State(7, 500, 300, 0, 100, 2), 0, 0, false},
        {"other package number", State(8, 500, 300, 0, 100), 0, 0, false},
        {"archive size 0", State(7, 0, 300, 0, 100), 0, 0, false},
        {"compressed size 0", State(7, 500, 0, 300, 100), 0, 0, false},
        {"body longer than the package", State(7, 500, 90, 9, 100), 0, 0, false},
        {"sizes that wrap in 32 bits", State(7, 500, 0xFFFFFFF0u, 0x20, 100), 0, 0, false},
        {"too large to resume", State(7, 500, 0xFFFFFFF0u, 0, 100), 0, 0, false},
    };
    for (const Case& c : cases) {
        DeleteDownloadState();
        ASSERT_TRUE(c.file.empty() || WriteWholeFile(StatePath(), c.file)) << c.label;
        PackageJob job(nullptr);  // expecting package 7, still holding another's header
        job.packageNumber = 7;
        job.flags = job.archiveSize = job.trailingSize = 99;
        job.compressed = true;
        EXPECT_EQ(ReadDownloadState(job), c.received) << c.label;
        EXPECT_EQ(job.compressedSize, c.compressedSize) << c.label;
        EXPECT_EQ(job.compressed, c.compressed) << c.label;
        EXPECT_EQ(job.flags, c.compressedSize ? 0x40u : 0u) << c.label;
        EXPECT_EQ(job.archiveSize == 0, c.compressedSize == 0) << c.label;
        EXPECT_TRUE(c.received == 0 || std::string(reinterpret_cast<char*>(job.body), c.received) ==
                                           std::string(c.received, 'b'))
            << c.label;
        EXPECT_EQ(FileExists(StatePath().c_str()), !c.file.empty()) << c.label << ": a refused file stays";
    }
}

// What the write stores, also on a disk that fills up on the way, is a
// prefix that the next read takes over.
TEST(DownloadState, WriteStoresAPrefixThatReadTakesOverEvenFromAFullDisk)
{
    PackageJob writer(nullptr);
    writer.packageNumber = 7;
    writer.flags = 0x40;
    writer.archiveSize = 200008;
    writer.compressedSize = 200000;
    writer.trailingSize = 8;
    writer.ReserveBody(200008);
    for (uint32_t i = 0; i < 200008; ++i)
        writer.body[i] = uint8_t(i * 13);
    std::string prefs = UnixPath(StatePath());
    prefs.resize(prefs.rfind('/'));
    struct Case {
        const char* label;
        uint32_t written;
        uint32_t taken;  // 0: what a disk of 16 KiB holds
        bool fullDisk;
    } cases[] = {{"1234 bytes", 1234, 1234, false},
                 {"more than the body holds", 300000, 1234, false},
                 {"full disk", 100000, 0, true}};
    for (const Case& c : cases) {
        if (c.fullDisk) {
            ASSERT_EQ(RunHost("mount -t tmpfs -o size=16k qv-small " + ShellQuoted(prefs)).exitCode, 0);
        }
        WriteDownloadState(writer, c.written);
        EXPECT_EQ(ReadWholeFile(StatePath()).bytes.substr(0, 16), State(7, 200008, 200000, 8)) << c.label;
        PackageJob reader(nullptr);
        reader.packageNumber = 7;
        uint32_t taken = ReadDownloadState(reader);
        EXPECT_EQ(reader.trailingSize, 8u) << c.label;
        EXPECT_TRUE(c.taken ? taken == c.taken : taken > 0 && taken <= 16 * 1024 - 16)
            << c.label << ": " << taken;
        EXPECT_TRUE(taken > 0 && std::memcmp(reader.body, writer.body, taken) == 0) << c.label;
    }
    RunHost("umount " + ShellQuoted(prefs));
    DeleteDownloadState();
    EXPECT_FALSE(FileExists(StatePath().c_str()));
    DeleteDownloadState();
}
