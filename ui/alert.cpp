#include "ui/alert.h"

#include <cstdio>

void ShowAlert(const char* title, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
    std::fflush(stderr);
}
