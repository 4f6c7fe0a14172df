#include "net/http_parse.h"

#include <cstring>

namespace {

const char* SkipBlanks(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    return text;
}

int DigitValue(char c, uint32_t base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value >= 0 && static_cast<uint32_t>(value) < base ? value : -1;
}

NumberParse ParseUnsigned(const char* text, uint32_t base, uint32_t& value)
{
    text = SkipBlanks(text);
    uint64_t total = 0;
    bool any = false;
    for (int digit; (digit = DigitValue(*text, base)) >= 0; ++text) {
        total = total * base + static_cast<uint64_t>(digit);
        if (total > 0xFFFFFFFFull)
            return NumberParse::kTooLarge;
        any = true;
    }
    if (!any)
        return NumberParse::kNone;
    value = static_cast<uint32_t>(total);
    return NumberParse::kValue;
}

}  // namespace

bool ParseStatusCode(const char* line, int32_t& status)
{
    const char* space = std::strchr(line, ' ');
    if (!space)
        return false;
    const char* digits = SkipBlanks(space);
    size_t count = 0;
    while (count < 4 && DigitValue(digits[count], 10) >= 0)
        ++count;
    if (count == 0 || count > 3)
        return false;
    uint32_t value = 0;
    ParseUnsigned(digits, 10, value);
    status = static_cast<int32_t>(value);
    return true;
}

NumberParse ParseDecimalU32(const char* text, uint32_t& value)
{
    return ParseUnsigned(text, 10, value);
}

NumberParse ParseChunkSize(const char* text, uint32_t& value)
{
    return ParseUnsigned(text, 16, value);
}
