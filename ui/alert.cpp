#include "base/alert.h"

#include "ui/alert_dialog.h"

#include <cstdio>

void ShowAlert(const char* title, const char* text)
{
    CAlertDialog alert;
    alert.SetTitle(title);
    alert.SetMessage(text);
    if (alert.DoModal() != -1)
        return;
    // No dialog could be shown (no display, or no template): the words must
    // still reach the user.
    std::fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
    std::fflush(stderr);
}
