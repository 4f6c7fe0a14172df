// The host names the installer reaches or sends the user to.
#pragma once

// The update service, on TCP port 16000.
const char* const kUpdateServiceHost = "update.quorvalent.example";
// The service-status page, opened when the service is unavailable.
const char* const kStatusPageHost = "status.quorvalent.example";
// The product web site: home, support and download pages.
const char* const kWebSiteHost = "www.quorvalent.example";
