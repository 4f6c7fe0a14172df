#include "net/http_parse.h"

#include <cstring>

#include "base/text.h"

namespace {

const char* SkipBlanks(const char* text)
{
    while (*text == ' ' || *text == '\t') ++text;
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

// The decimal at the start of text (blanks skipped): the text after it, or
// null when there is none or it does not fit.
const char* TakeDecimal(const char* text, uint32_t& value)
{
    text = SkipBlanks(text);
    if (ParseUnsigned(text, 10, value) != NumberParse::kValue)
        return nullptr;
    while (DigitValue(*text, 10) >= 0) ++text;
    return SkipBlanks(text);
}

}  // namespace

bool ParseStatusCode(const char* line, int32_t& status)
{
    const char* space = std::strchr(line, ' ');
    if (!space)
        return false;
    const char* digits = SkipBlanks(space);
    size_t count = 0;
    while (count < 4 && DigitValue(digits[count], 10) >= 0) ++count;
    if (count == 0 || count > 3)
        return false;
    uint32_t value = 0;
    ParseUnsigned(digits, 10, value);
    status = static_cast<int32_t>(value);
    return true;
}

NumberParse ParseDecimalU32(const char* text, uint32_t& value) { return ParseUnsigned(text, 10, value); }

NumberParse ParseChunkSize(const char* text, uint32_t& value) { return ParseUnsigned(text, 16, value); }

bool ParseContentRange(const char* text, uint32_t& first, uint32_t& last, uint32_t& length)
{
    text = SkipBlanks(text);
    if (!StartsWithNoCase(text, "bytes "))
        return false;
    uint32_t from = 0;
    uint32_t to = 0;
    text = TakeDecimal(text + 6, from);
    if (!text || *text != '-')
        return false;
    text = TakeDecimal(text + 1, to);
    if (!text || *text != '/' || to < from)
        return false;
    uint32_t complete = 0;
    text = SkipBlanks(text + 1);
    if (*text == '*') {
        ++text;
    } else if (!(text = TakeDecimal(text, complete)) || complete <= to) {
        return false;
    }
    text = SkipBlanks(text);
    if (*text != '\r' && *text != '\n' && *text != '\0')
        return false;
    first = from;
    last = to;
    length = complete;
    return true;
}
