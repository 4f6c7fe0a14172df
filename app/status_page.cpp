#include "app/status_page.h"

#include "base/web_hosts.h"
#include "ui/link.h"

#include <windows.h>

#include <cstdio>

int32_t GetUtcOffsetSeconds()
{
    TIME_ZONE_INFORMATION zone = {};
    DWORD zoneId = GetTimeZoneInformation(&zone);
    return UtcOffsetFromZone(zoneId, zone);
}

int32_t UtcOffsetFromZone(DWORD zoneId, const TIME_ZONE_INFORMATION& zone)
{
    LONG bias;
    switch (zoneId) {
        case TIME_ZONE_ID_STANDARD:
            bias = zone.Bias + zone.StandardBias;
            break;
        case TIME_ZONE_ID_DAYLIGHT:
            bias = zone.Bias + zone.DaylightBias;
            break;
        case TIME_ZONE_ID_INVALID:
            // The structure is not filled in: send no offset rather than a guess.
            return 0;
        default:
            bias = zone.Bias;
            break;
    }
    // The system's bias is what to add to local time to get UTC, in minutes.
    return static_cast<int32_t>(bias) * -60;
}

void FormatStatusPageUrl(char* buffer, size_t size, int32_t offsetSeconds)
{
    std::snprintf(buffer, size, "http://%s/?tz=%d", kStatusPageHost, static_cast<int>(offsetSeconds));
}

void OpenStatusPage()
{
    char url[256];
    FormatStatusPageUrl(url, sizeof url, GetUtcOffsetSeconds());
    OpenLink(url);
}

void OpenDownloadPage()
{
    char url[256];
    std::snprintf(url, sizeof url, "http://%s/download/", kWebSiteHost);
    OpenLink(url);
}
