#include "tests/support/gtest.h"

#include "app/status_page.h"

#include <cstdlib>
#include <ctime>

TEST(GetUtcOffsetSeconds, FollowsTheTimeZoneAndItsDaylightSaving)
{
    const struct {
        const char* zone;
        int32_t offset;
    } cases[] = {
        {"UTC", 0},
        // UTC+1 with daylight saving all year round: always in effect.
        {"CET-1CEST,J1/0,J365/25", 7200},
        // UTC-5 without daylight saving: winter time.
        {"EST5", -18000},
        {"IST-5:30", 19800},
    };
    for (const auto& c : cases) {
        setenv("TZ", c.zone, 1);
        tzset();
        EXPECT_EQ(GetUtcOffsetSeconds(), c.offset) << c.zone;
    }
    // The system could not tell: the structure is not filled in, whatever it held.
    TIME_ZONE_INFORMATION unfilled = {};
    unfilled.Bias = 12345;
    EXPECT_EQ(UtcOffsetFromZone(TIME_ZONE_ID_INVALID, unfilled), 0);
}
