#include "tests/support/gtest.h"

#include "app/status_page.h"

#include <cstdlib>
#include <ctime>
#include <string>

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
}

TEST(GetUtcOffsetSeconds, ABiasTheSystemCouldNotTellGivesNoOffset)
{
    TIME_ZONE_INFORMATION zone = {};
    zone.Bias = -60;
    zone.StandardBias = 0;
    zone.DaylightBias = -60;
    EXPECT_EQ(UtcOffsetFromZone(TIME_ZONE_ID_STANDARD, zone), 3600);
    EXPECT_EQ(UtcOffsetFromZone(TIME_ZONE_ID_DAYLIGHT, zone), 7200);
    EXPECT_EQ(UtcOffsetFromZone(TIME_ZONE_ID_UNKNOWN, zone), 3600);
    // Left as it was, whatever it held.
    zone.Bias = 12345;
    EXPECT_EQ(UtcOffsetFromZone(TIME_ZONE_ID_INVALID, zone), 0);
}

TEST(FormatStatusPageUrl, CarriesTheSignedOffset)
{
    char url[256];
    FormatStatusPageUrl(url, sizeof url, -18000);
    EXPECT_STREQ(url, "http://status.quorvalent.example/?tz=-18000");
    FormatStatusPageUrl(url, sizeof url, 7200);
    EXPECT_STREQ(url, "http://status.quorvalent.example/?tz=7200");
}
