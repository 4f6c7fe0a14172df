#include "tests/support/gtest.h"

#include "app/status_page.h"

#include <ctime>

TEST(GetUtcOffsetSeconds, FollowsTheTimeZoneAndItsDaylightSaving)
{
    // CET with daylight saving all year round; EST without: winter time.
    for (const auto& zone : {std::make_pair("UTC", 0), std::make_pair("CET-1CEST,J1/0,J365/25", 7200),
                             std::make_pair("EST5", -18000), std::make_pair("IST-5:30", 19800)}) {
        setenv("TZ", zone.first, 1);
        tzset();
        EXPECT_EQ(GetUtcOffsetSeconds(), zone.second) << zone.first;
    }
    // The system could not tell: the structure is not filled in, whatever it held.
    TIME_ZONE_INFORMATION unfilled = {};
    unfilled.Bias = 12345;
    EXPECT_EQ(UtcOffsetFromZone(TIME_ZONE_ID_INVALID, unfilled), 0);
}
