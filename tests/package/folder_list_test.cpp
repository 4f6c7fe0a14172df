#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "package/folder_list.h"

#include <string>

TEST(FolderList, KeepsRecordsAcrossGrowthAndRefusesPathsThatDoNotFit)
{
    FolderList list;
    for (uint32_t i = 0; i < 11; ++i)
        list.Append(("C:\\f" + std::to_string(i)).c_str(), i, i + 100);
    ASSERT_EQ(list.GetCount(), 11u);
    for (uint32_t i = 0; i < 11; ++i) {
        EXPECT_EQ(std::string(list.GetAt(i).path), "C:\\f" + std::to_string(i));
        EXPECT_EQ(list.GetAt(i).modificationTime, i);
        EXPECT_EQ(list.GetAt(i).creationTime, i + 100);
    }
    list.Append(std::string(1023, 'p').c_str(), 0, 0);
    EXPECT_THROW(list.Append(std::string(1024, 'p').c_str(), 0, 0), ErrorCode);
    EXPECT_EQ(list.GetCount(), 12u);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0u);
}
