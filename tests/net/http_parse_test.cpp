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
