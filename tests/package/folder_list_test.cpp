#include "tests/support/gtest.h"

#include "app/error_code.h"
#include "package/folder_list.h"

#include <string>

TEST(FolderList, GrowsInStepsOfFiveAndRefusesPathsThatDoNotFit)
{
    FolderList list;
    const uint32_t expectedCapacity[] = {5, 5, 5, 5, 5, 10, 10, 10, 10, 10, 15};
    for (uint32_t i = 0; i < 11; ++i) {
        list.Append(("C:\\f" + std::to_string(i)).c_str(), i, i + 100);
        EXPECT_EQ(list.GetCapacity(), expectedCapacity[i]) << i;
    }
    ASSERT_EQ(list.GetCount(), 11u);
    EXPECT_STREQ(list.GetAt(0).path, "C:\\f0");
    EXPECT_EQ(list.GetAt(10).modificationTime, 10u);
    EXPECT_EQ(list.GetAt(10).creationTime, 110u);

    std::string fits(1023, 'p'), tooLong(1024, 'p');
    list.Append(fits.c_str(), 0, 0);
    EXPECT_THROW(list.Append(tooLong.c_str(), 0, 0), ErrorCode);
    EXPECT_EQ(list.GetCount(), 12u);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetCapacity(), 0u);
}
