#include "tests/support/gtest.h"

#include "package/file_times.h"
#include "tests/support/test_env.h"

#include <string>

TEST(SetFileTimes, SignedSecondsFrom1601OnFilesAndFoldersAlsoBefore1970)
{
    struct Conversion {
        int32_t seconds;
        uint64_t expected;
    } conversions[] = {{0, 116444736000000000ULL},
                       {-1, 116444735990000000ULL},
                       {INT32_MIN, 116444736000000000ULL - 21474836480000000ULL},
                       {INT32_MAX, 116444736000000000ULL + 21474836470000000ULL}};
    for (const Conversion& c : conversions) {
        FILETIME time = UnixTimeToFileTime(c.seconds);
        EXPECT_EQ((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime, c.expected) << c.seconds;
    }
    const std::string folder = ScratchFolder("times\\sub");
    const std::string file = folder + "f.txt";
    ASSERT_TRUE(WriteWholeFile(file, "x"));
    struct Case {
        std::string path;
        uint32_t stored;
        int64_t expected;
    } cases[] = {{file, 1000000000u, 1000000000},
                 {file, 0xFFFFFFFFu, -1},
                 {folder, 0x80000000u + 5, int64_t(INT32_MIN) + 5},
                 {folder, 86400u, 86400}};
    for (const Case& c : cases) {
        SetFileTimes(c.path.c_str(), c.stored, c.stored);
        EXPECT_EQ(ModificationTime(c.path), c.expected) << c.path << " " << c.stored;
    }
    SetFileTimes((folder + "missing").c_str(), 5, 5);  // skipped without a report
    EXPECT_EQ(ModificationTime(folder + "missing"), INT64_MIN);
}
