// Opening links in the user's own programs: web addresses in the web browser,
// mail addresses in the mail program, anything else through the shell's
// association. Loosely written links ("www.host", "name@host") are completed
// first. User-interface thread only: failures are reported with ShowAlert.
#pragma once

#include <cstddef>

// Every link is composed in a buffer of this size, its NUL included; a link
// that does not fit is refused with the "Unable to Open URL" alert.
const size_t kLinkBufferSize = 2048;

void OpenLink(const char* text);
// Adds "http://" unless the URL starts with "http://" or "https://".
void OpenWebPage(const char* url);
// Adds "mailto:" unless the address starts with it.
void OpenMailTo(const char* address);

// The scheme to put in front of the text, or null for none.
const char* DefaultScheme(const char* text);
