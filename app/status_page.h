// The web pages the outcome handling sends the user to. User-interface thread.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// The local time's offset from UTC in seconds, east positive, with the
// daylight-saving shift while it applies; 0 when the system cannot tell.
int32_t GetUtcOffsetSeconds();
// The offset for what GetTimeZoneInformation returned: its result selects
// the bias; TIME_ZONE_ID_INVALID (the structure not filled in) gives 0.
int32_t UtcOffsetFromZone(DWORD zoneId, const TIME_ZONE_INFORMATION& zone);

// "http://<status host>/?tz=<offset>" into a buffer of 256 characters.
void FormatStatusPageUrl(char* buffer, size_t size, int32_t offsetSeconds);

// Opens the service-status page with the user's UTC offset.
void OpenStatusPage();
// Opens the product web site's download page.
void OpenDownloadPage();
