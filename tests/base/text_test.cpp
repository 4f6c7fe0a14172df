#include "tests/support/gtest.h"

#include "base/text.h"

#include <string>

TEST(Text, ComparesLettersInAnyCaseAndReadsLeadingDigits)
{
    struct Case {
        const char* text;
        const char* other;
        bool equal;
        bool startsWith;
        // HasPrefixNoCase over 3 characters: 1 or 0, -1 where a text is null.
        int firstThree;
        uint32_t decimal;
    };
    const Case cases[] = {
        {"Silent", "SILENT", true, true, 1, 0},
        {"silen", "silent", false, false, 1, 0},
        {"Content-Length: 5", "content-length: ", false, true, 1, 0},
        {"http:/", "http://", false, false, 1, 0},
        {"ab", "abc", false, false, 0, 0},
        {"", "", true, true, 1, 0},
        {"", "oem", false, false, 0, 0},
        {"abc", "", false, true, 0, 0},
        {nullptr, "", true, false, -1, 0},
        {nullptr, "oem", false, false, -1, 0},
        {"abc", nullptr, false, false, -1, 0},
        {"42x", "42X", true, true, 1, 42},
        {" 5", " 5", true, true, 1, 0},
        {"4294967295", "", false, true, 0, 4294967295u},
        {"4294967297", "", false, true, 0, 1},  // wraps at 2^32
    };
    for (const Case& c : cases) {
        std::string label = std::string(c.text ? c.text : "(null)") + " / " + (c.other ? c.other : "(null)");
        EXPECT_EQ(CompareNoCase(c.text, c.other) == 0, c.equal) << label;
        EXPECT_EQ(StartsWithNoCase(c.text, c.other), c.startsWith) << label;
        if (c.firstThree >= 0) {
            EXPECT_EQ(HasPrefixNoCase(c.text, c.other, 3), c.firstThree == 1) << label;
        }
        EXPECT_EQ(ParseDecimal(c.text), c.decimal) << label;
    }
}
