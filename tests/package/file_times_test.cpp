#include "tests/support/gtest.h"

#include "package/delete_tree.h"
#include "package/file_times.h"
#include "tests/package/package_helpers.h"

#include <string>

using namespace testing_package;

namespace {

uint64_t AsNumber(FILETIME time)
{
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

TEST(SetFileTimes, SignedSecondsFrom1601OnFilesAndFoldersAlsoBefore1970)
{
    struct Conversion {
        int32_t seconds;
        uint64_t expected;
    } conversions[] = {
        {0, 116444736000000000ULL},
        {-1, 116444735990000000ULL},
        {INT32_MIN, 116444736000000000ULL - 21474836480000000ULL},
        {INT32_MAX, 116444736000000000ULL + 21474836470000000ULL},
    };
    for (const Conversion& c : conversions)
        EXPECT_EQ(AsNumber(UnixTimeToFileTime(c.seconds)), c.expected) << c.seconds;

    const std::string folder = ScratchFolder("times");
    const std::string file = folder + "f.txt";
    const std::string subfolder = folder + "sub";
    ASSERT_TRUE(WriteFileText(file, "x"));
    ASSERT_TRUE(CreateDirectoryA(subfolder.c_str(), nullptr));
    struct Case {
        std::string path;
        uint32_t stored;
        int64_t expected;
    } cases[] = {
        {file, 1000000000u, 1000000000},
        {file, 0xFFFFFFFFu, -1},
        {subfolder, 0x80000000u + 5, int64_t(INT32_MIN) + 5},
        {subfolder, 86400u, 86400},
    };
    for (const Case& c : cases) {
        SetFileTimes(c.path.c_str(), c.stored, c.stored);
        EXPECT_EQ(ModificationTime(c.path), c.expected) << c.path << " " << c.stored;
    }
    SetFileTimes((folder + "missing").c_str(), 5, 5);  // skipped without a report
    EXPECT_FALSE(Exists(folder + "missing"));
}

TEST(DeleteTree, RemovesFoldersWithContentsAndRefusesEmptyPaths)
{
    const std::string folder = ScratchFolder("tree");
    ASSERT_TRUE(CreateDirectoryA((folder + "a").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder + "a\\b").c_str(), nullptr));
    ASSERT_TRUE(WriteFileText(folder + "a\\b\\f.txt", "x"));
    ASSERT_TRUE(WriteFileText(folder + "keep.txt", "x"));
    EXPECT_EQ(DeleteTree(""), -1);
    EXPECT_EQ(DeleteTree(nullptr), -1);
    EXPECT_EQ(DeleteTree(std::string(1027, 'a').c_str()), -1);
    EXPECT_EQ(DeleteTree((folder + "a\\").c_str()), 0) << "a trailing backslash is dropped";
    EXPECT_FALSE(Exists(folder + "a"));
    EXPECT_TRUE(Exists(folder + "keep.txt"));
    EXPECT_EQ(DeleteTree((folder + "keep.txt").c_str()), 0);
    EXPECT_FALSE(Exists(folder + "keep.txt"));
}
