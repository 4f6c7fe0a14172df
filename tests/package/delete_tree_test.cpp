#include "tests/support/gtest.h"

#include "base/folders.h"
#include "package/delete_tree.h"
#include "tests/support/test_env.h"

#include <string>

TEST(DeleteTree, RemovesFoldersWithContentsAndRefusesEmptyOrLongPaths)
{
    const std::string folder = ScratchFolder("tree\\a\\b");
    ASSERT_TRUE(WriteWholeFile(folder + "f.txt", "x"));
    const std::string keep = ScratchFolder("tree") + "keep.txt";
    ASSERT_TRUE(WriteWholeFile(keep, "x"));
    EXPECT_EQ(DeleteTree(""), -1);
    EXPECT_EQ(DeleteTree(nullptr), -1);
    EXPECT_EQ(DeleteTree(std::string(1027, 'a').c_str()), -1);
    EXPECT_EQ(DeleteTree(ScratchFolder("tree\\a").c_str()), 0) << "a trailing backslash is dropped";
    EXPECT_FALSE(FileExists(folder.c_str()));
    EXPECT_TRUE(FileExists(keep.c_str()));
    EXPECT_EQ(DeleteTree(keep.c_str()), 0);
    EXPECT_FALSE(FileExists(keep.c_str()));
}
