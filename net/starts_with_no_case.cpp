#include "net/starts_with_no_case.h"

#include <cctype>

bool StartsWithNoCase(const char* text, const char* prefix)
{
    if (!text || !prefix)
        return false;
    for (; *prefix; ++text, ++prefix) {
        if (std::toupper(static_cast<unsigned char>(*text)) !=
            std::toupper(static_cast<unsigned char>(*prefix)))
            return false;
    }
    return true;
}
