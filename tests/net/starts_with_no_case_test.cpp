#include "tests/support/gtest.h"

#include "base/text.h"

TEST(StartsWithNoCase, ComparesLettersInAnyCase)
{
    struct Case {
        const char* text;
        const char* prefix;
        bool expected;
    };
    const Case cases[] = {
        {"Content-Length: 5", "content-length: ", true},
        {"HTTP://host", "http://", true},
        {"http:/", "http://", false},
        {"", "", true},
        {"", "a", false},
        {"abc", "", true},
        {nullptr, "", false},
        {"abc", nullptr, false},
        {"Locatio", "Location:", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartsWithNoCase(c.text, c.prefix), c.expected)
            << (c.text ? c.text : "(null)") << " / " << (c.prefix ? c.prefix : "(null)");
}
