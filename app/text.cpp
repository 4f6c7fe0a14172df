#include "app/text.h"

#include <cctype>

int CompareNoCase(const char* a, const char* b)
{
    if (!a)
        a = "";
    if (!b)
        b = "";
    for (;; ++a, ++b) {
        int left = std::toupper(static_cast<unsigned char>(*a));
        int right = std::toupper(static_cast<unsigned char>(*b));
        if (left != right)
            return left < right ? -1 : 1;
        if (left == 0)
            return 0;
    }
}

uint32_t ParseDecimal(const char* text)
{
    uint32_t value = 0;
    for (; text && *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    return value;
}
