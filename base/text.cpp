#include "base/text.h"

#include <cctype>
#include <cstring>

namespace {

int Upper(char c) { return std::toupper(static_cast<unsigned char>(c)); }

// Compares at most n characters of both texts ignoring case, stopping after a
// NUL: <0, 0 or >0 as a's text sorts before, with or after b's.
int CompareUpTo(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        int left = Upper(a[i]);
        int right = Upper(b[i]);
        if (left != right)
            return left < right ? -1 : 1;
        if (left == 0)
            return 0;
    }
    return 0;
}

}  // namespace

int CompareNoCase(const char* a, const char* b) { return CompareUpTo(a ? a : "", b ? b : "", SIZE_MAX); }

bool StartsWithNoCase(const char* text, const char* prefix)
{
    return text && prefix && HasPrefixNoCase(text, prefix, std::strlen(prefix));
}

bool HasPrefixNoCase(const char* text, const char* prefix, size_t n)
{
    // A text shorter than n differs from the prefix at its NUL.
    return CompareUpTo(text, prefix, n) == 0;
}

uint32_t ParseDecimal(const char* text)
{
    uint32_t value = 0;
    for (; text && *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    return value;
}
