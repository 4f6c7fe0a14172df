#include "tests/support/gtest.h"

#include "net/http_parse.h"

TEST(HttpParse, StatusCodeIsOneToThreeDigitsAfterTheFirstSpace)
{
    struct Case {
        const char* line;
        bool parsed;
        int32_t status;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\n", true, 200},
        {"HTTP/1.0 404\r\n", true, 404},
        {"X  302 Found", true, 302},
        {"HTTP/1.1 99 odd", true, 99},
        {"HTTP/1.1\r\n", false, 0},
        {"HTTP/1.1 OK", false, 0},
        {"HTTP/1.1 -200 OK", false, 0},
        {"HTTP/1.1 +200 OK", false, 0},
        {"HTTP/1.1 2000 OK", false, 0},
        {"HTTP/1.1 4294967496 OK", false, 0},
    };
    for (const Case& c : cases) {
        int32_t status = 0;
        EXPECT_EQ(ParseStatusCode(c.line, status), c.parsed) << c.line;
        if (c.parsed) {
            EXPECT_EQ(status, c.status) << c.line;
        }
    }
}

TEST(HttpParse, NumbersRefuseWhatWouldWrap)
{
    struct Case {
        const char* text;
        bool hexadecimal;
        NumberParse result;
        uint32_t value;
    };
    const Case cases[] = {
        {"5\r\n", false, NumberParse::kValue, 5},
        {"  42x", false, NumberParse::kValue, 42},
        {"4294967295", false, NumberParse::kValue, 0xFFFFFFFF},
        {"4294967296", false, NumberParse::kTooLarge, 0},
        {"99999999999999999999", false, NumberParse::kTooLarge, 0},
        {"-1", false, NumberParse::kNone, 0},
        {"", false, NumberParse::kNone, 0},
        {"1a;name=value\r\n", true, NumberParse::kValue, 0x1A},
        {"FFFFFFFF", true, NumberParse::kValue, 0xFFFFFFFF},
        {"00000000000010", true, NumberParse::kValue, 0x10},
        {"100000000", true, NumberParse::kTooLarge, 0},
        {"-5", true, NumberParse::kNone, 0},
        {"\r\n", true, NumberParse::kNone, 0},
    };
    for (const Case& c : cases) {
        uint32_t value = 7;
        NumberParse result = c.hexadecimal ? ParseChunkSize(c.text, value) : ParseDecimalU32(c.text, value);
        EXPECT_EQ(result, c.result) << c.text;
        EXPECT_EQ(value, c.result == NumberParse::kValue ? c.value : 7u) << c.text;
    }
}

TEST(HttpParse, ContentRangeGivesFirstByteAndCompleteLength)
{
    struct Case {
        const char* text;
        bool parsed;
        uint32_t first;
        uint32_t length;
    };
    const Case cases[] = {
        {" bytes 1016-2047/2048\r\n", true, 1016, 2048},
        {"BYTES 0-0/1", true, 0, 1},
        {" bytes 5-9/*\r\n", true, 5, 0},
        {" bytes 4294967294-4294967294/4294967295", true, 4294967294u, 4294967295u},
        {" bytes 10-9/20", false, 0, 0},
        {" bytes 0-9/9", false, 0, 0},
        {" bytes 0-4294967296/*", false, 0, 0},
        {" bytes */2048", false, 0, 0},
        {" items 0-9/10", false, 0, 0},
        {" bytes 0-9/10 junk", false, 0, 0},
        {" bytes -9/10", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        uint32_t first = 77, last = 0, length = 77;
        EXPECT_EQ(ParseContentRange(c.text, first, last, length), c.parsed) << c.text;
        EXPECT_EQ(first, c.parsed ? c.first : 77u) << c.text;
        EXPECT_EQ(length, c.parsed ? c.length : 77u) << c.text;
    }
}
