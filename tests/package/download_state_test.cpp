#include "tests/support/gtest.h"

#include "package/download_state.h"
#include "base/folders.h"
#include "package/package_job.h"
#include "tests/package/package_helpers.h"

#include <string>

using namespace testing_package;

namespace {

std::string StatePath()
{
    char path[kFolderPathSize];
    EXPECT_TRUE(GetDownloadStatePath(path));
    return path;
}

// Version, flags, package number, archive, compressed and trailing size.
std::string StateHeader(uint8_t version, uint16_t number, uint32_t archive, uint32_t compressed, uint32_t trailing)
{
    std::string bytes = {char(version), char(0x40), char(number >> 8), char(number)};
    for (uint32_t value : {archive, compressed, trailing})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += char(value >> shift);
    return bytes;
}

}  // namespace

TEST(DownloadState, ReadTakesOverOnlyAUsablePrefixOfThisPackage)
{
    const std::string body(100, 'b');
    struct Case {
        const char* label;
        bool present;
        std::string file;
        uint32_t received;
        uint32_t compressedSize;
        bool compressed;
    } cases[] = {
        {"no file", false, "", 0, 0, false},
        {"header only", true, StateHeader(1, 7, 500, 300, 0), 0, 300, true},
        {"prefix of a compressed body", true, StateHeader(1, 7, 500, 300, 20) + body, 100, 300, true},
        {"prefix of a stored body", true, StateHeader(1, 7, 300, 300, 0) + body, 100, 300, false},
        {"whole body", true, StateHeader(1, 7, 500, 90, 10) + body, 100, 90, true},
        {"10 bytes", true, StateHeader(1, 7, 500, 300, 0).substr(0, 10), 0, 0, false},
        {"version 2", true, StateHeader(2, 7, 500, 300, 0) + body, 0, 0, false},
        {"other package number", true, StateHeader(1, 8, 500, 300, 0) + body, 0, 0, false},
        {"archive size 0", true, StateHeader(1, 7, 0, 300, 0) + body, 0, 0, false},
        {"compressed size 0", true, StateHeader(1, 7, 500, 0, 300) + body, 0, 0, false},
        {"body longer than the package", true, StateHeader(1, 7, 500, 90, 9) + body, 0, 0, false},
        {"sizes that wrap in 32 bits", true, StateHeader(1, 7, 500, 0xFFFFFFF0u, 0x20) + body, 0, 0, false},
        {"too large to resume", true, StateHeader(1, 7, 500, 0xFFFFFFF0u, 0) + body, 0, 0, false},
    };
    for (const Case& c : cases) {
        DeleteDownloadState();
        if (c.present) {
            ASSERT_TRUE(WriteFileText(StatePath(), c.file)) << c.label;
        }
        PackageJob job(nullptr);
        job.packageNumber = 7;
        job.flags = job.archiveSize = job.trailingSize = 99;
        job.compressed = true;
        EXPECT_EQ(ReadDownloadState(job), c.received) << c.label;
        EXPECT_EQ(job.compressedSize, c.compressedSize) << c.label;
        EXPECT_EQ(job.compressed, c.compressed) << c.label;
        EXPECT_EQ(job.flags, c.compressedSize ? 0x40u : 0u) << c.label;
        if (c.compressedSize) {
            EXPECT_GE(job.bodyCapacity, job.compressedSize + job.trailingSize) << c.label;
            EXPECT_EQ(std::string(reinterpret_cast<char*>(job.body), c.received), body.substr(0, c.received))
                << c.label;
        } else {
            EXPECT_EQ(job.archiveSize | job.trailingSize, 0u) << c.label;
        }
        EXPECT_EQ(Exists(StatePath()), c.present) << c.label << ": a refused file stays";
    }
}

TEST(DownloadState, WriteStoresHeaderAndPrefixThatReadGivesBack)
{
    PackageJob writer(nullptr);
    writer.packageNumber = 0x1234;
    writer.flags = 2;
    writer.archiveSize = 5000;
    writer.compressedSize = 4000;
    writer.trailingSize = 8;
    writer.ReserveBody(4008);
    for (uint32_t i = 0; i < 4008; ++i)
        writer.body[i] = uint8_t(i * 7);
    WriteDownloadState(writer, 1234);
    std::string file = ReadFileText(StatePath());
    ASSERT_EQ(file.size(), 16u + 1234);
    EXPECT_EQ(file.substr(0, 16), StateHeader(1, 0x1234, 5000, 4000, 8).replace(1, 1, 1, char(2)));
    EXPECT_EQ(file.substr(16), std::string(reinterpret_cast<char*>(writer.body), 1234));

    PackageJob reader(nullptr);
    reader.packageNumber = 0x1234;
    EXPECT_EQ(ReadDownloadState(reader), 1234u);
    EXPECT_EQ(reader.flags, 2u);
    EXPECT_EQ(reader.archiveSize, 5000u);
    EXPECT_EQ(reader.trailingSize, 8u);

    WriteDownloadState(writer, 5000);
    EXPECT_EQ(ReadFileText(StatePath()).size(), 16u + 1234) << "more than the body holds is not written";
    DeleteDownloadState();
    EXPECT_FALSE(Exists(StatePath()));
    DeleteDownloadState();
}
