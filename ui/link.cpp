#include "ui/link.h"

#include "base/alert.h"
#include "base/text.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

namespace {

const char* const kUrlTitle = "Unable to Open URL";
const char* const kUrlText = "Quorvalent was unable to open the URL.";

bool StartsWith(const char* text, const char* prefix)
{
    return HasPrefixNoCase(text, prefix, std::strlen(prefix));
}

// Writes prefix and text into link; false when they do not fit.
bool ComposeLink(char (&link)[kLinkBufferSize], const char* prefix, const char* text)
{
    int written = std::snprintf(link, sizeof link, "%s%s", prefix ? prefix : "", text ? text : "");
    return written >= 0 && static_cast<size_t>(written) < sizeof link;
}

// Asks the shell to open the link; true when it took it (a result above 32).
bool ShellOpen(const char* link)
{
    HINSTANCE result = ShellExecuteA(nullptr, "open", link, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

const char* DefaultScheme(const char* text)
{
    const char* const complete[] = {"http://", "https://", "ftp://", "rtsp://", "mailto:"};
    for (const char* scheme : complete) {
        if (StartsWith(text, scheme))
            return nullptr;
    }
    if (StartsWith(text, "www."))
        return "http://";
    if (StartsWith(text, "ftp."))
        return "ftp://";
    if (!std::strchr(text, '@') || std::strchr(text, '/'))
        return "http://";
    return "mailto:";
}

void OpenWebPage(const char* url)
{
    char link[kLinkBufferSize];
    bool complete = StartsWith(url, "http://") || StartsWith(url, "https://");
    if (!ComposeLink(link, complete ? nullptr : "http://", url))
        return ShowAlert(kUrlTitle, kUrlText);
    if (!ShellOpen(link))
        ShowAlert("Unable to Open Browser",
                  "Quorvalent was unable to open your web browser. Your web browser may not be "
                  "installed correctly.");
}

void OpenMailTo(const char* address)
{
    char link[kLinkBufferSize];
    if (!ComposeLink(link, StartsWith(address, "mailto:") ? nullptr : "mailto:", address))
        return ShowAlert(kUrlTitle, kUrlText);
    if (!ShellOpen(link))
        ShowAlert("Unable to Email Application",
                  "Quorvalent was unable to open your email application. Your email application may "
                  "not be installed correctly.");
}

void OpenLink(const char* text)
{
    if (!text)
        text = "";
    char link[kLinkBufferSize];
    if (!ComposeLink(link, DefaultScheme(text), text))
        return ShowAlert(kUrlTitle, kUrlText);
    if (StartsWith(link, "http://") || StartsWith(link, "https://"))
        OpenWebPage(link);
    else if (StartsWith(link, "mailto:"))
        OpenMailTo(link);
    else if (!ShellOpen(link))
        ShowAlert(kUrlTitle, kUrlText);
}
