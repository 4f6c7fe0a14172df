#include "tests/support/gtest.h"

#include "tests/support/data_rows.h"
#include "ui/icon_list.h"
#include "ui/large_icon.h"

#include <cstdlib>

TEST(IconList, HeadersAndResourcesLoadOrAreRefusedAsTheirDataSays)
{
    for (const DataRow& row : ReadDataRows("icon_list/header_limits.txt")) {
        uint32_t bytes = 0;
        bool taken = IconListPixelBytes(std::strtoul(row[0].c_str(), nullptr, 0),
                                        std::strtoul(row.at(1).c_str(), nullptr, 0), &bytes);
        EXPECT_EQ(taken ? std::to_string(bytes) : "refused", row.at(2)) << row[0] << " x " << row[1];
    }
    std::vector<DataRow> resources = ReadDataRows("icon_list/resources.txt");
    const std::string good = resources[0].at(4);
    for (const DataRow& row : resources) {
        std::string bytes = row.at(2) + row.at(3) + row.at(4);
        CIconList list(0, 128);
        bool loaded = list.Load(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        uint32_t length = 0;
        IconListPixelBytes(list.size, list.count, &length);
        std::string strip(reinterpret_cast<const char*>(list.Pixels()), list.Pixels() ? length : 0);
        EXPECT_EQ(loaded ? std::to_string(list.count) + " images, " + (strip == good ? "good" : "garbled")
                         : "refused" + std::string(list.count ? ", yet with images" : ""),
                  row.at(1))
            << row[0];
    }
    EXPECT_EQ(CIconList(999, 128).count, 0u) << "a missing resource leaves the list empty";
    EXPECT_EQ(CIconList(kAppIconListId, 128).count, 1u) << "the program's own picture";
}
