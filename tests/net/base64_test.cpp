#include "tests/support/gtest.h"

#include "net/base64.h"

#include <cstring>
#include <string>

TEST(Base64Encode, PadsTheLastGroup)
{
    struct Case {
        const char* text;
        const char* encoded;
    };
    const Case cases[] = {
        {"", ""},
        {":", "Og=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"user:secret", "dXNlcjpzZWNyZXQ="},
        {"\xff\xfe\xfd", "//79"},
        {"\xfb\xef", "++8="},
    };
    for (const Case& c : cases) {
        char out[64];
        std::memset(out, '#', sizeof out);
        Base64Encode(out, c.text);
        EXPECT_STREQ(out, c.encoded) << c.text;
        // The size promised for the output is what is written, NUL included.
        EXPECT_EQ(Base64EncodedSize(static_cast<uint32_t>(std::strlen(c.text))), std::strlen(c.encoded) + 1);
    }
}
