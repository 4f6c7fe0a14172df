#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "base/text.h"

#include <vector>

namespace {

struct OptionCase {
    std::vector<const char*> arguments;
    uint8_t oem;
    uint8_t silent;
    uint32_t bundle;
};

InstallerApp ParseArguments(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "quorvalent-setup.exe");
    std::vector<char*> vector;
    for (const char* argument : arguments)
        vector.push_back(const_cast<char*>(argument));
    int savedCount = __argc;
    char** savedVector = __argv;
    __argc = static_cast<int>(vector.size());
    __argv = vector.data();
    InstallerApp app;
    app.ParseOptions();
    __argc = savedCount;
    __argv = savedVector;
    return app;
}

}  // namespace

TEST(ParseOptions, ReadsEachOptionAsTheFlowExpects)
{
    const OptionCase cases[] = {
        {{}, 0, 0, 2},
        {{"/OEM"}, 1, 0, 2},
        {{"-oem"}, 1, 0, 2},
        {{"/oem:1"}, 0, 0, 2},
        {{"/oemx"}, 0, 0, 2},
        {{"oem"}, 0, 0, 2},
        {{"/bundle", "7"}, 0, 0, 7},
        {{"/bundle", "12abc"}, 0, 0, 12},
        {{"/bundle", "-3"}, 0, 0, 0},
        {{"/bundle"}, 0, 0, 0},
        {{"/bundle", "/silent"}, 0, 1, 0},
        {{"/bundle", "4294967297"}, 0, 0, 1},
        {{"-SILENT", "/oem", "/unknown", "x"}, 1, 1, 2},
        {{"/", "-"}, 0, 0, 2},
    };
    for (const OptionCase& c : cases) {
        InstallerApp app = ParseArguments(c.arguments);
        std::string label = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(app.m_bOem, c.oem) << label;
        EXPECT_EQ(app.m_bSilent, c.silent) << label;
        EXPECT_EQ(app.m_nBundle, c.bundle) << label;
        EXPECT_EQ(app.m_bDesktopIcon, 1) << label;
    }
}

TEST(CompareNoCase, NullAndEmptyNeverEqualText)
{
    EXPECT_EQ(CompareNoCase("Silent", "SILENT"), 0);
    EXPECT_NE(CompareNoCase("silen", "silent"), 0);
    EXPECT_NE(CompareNoCase(nullptr, "oem"), 0);
    EXPECT_NE(CompareNoCase("", "oem"), 0);
    EXPECT_EQ(CompareNoCase(nullptr, ""), 0);
    EXPECT_EQ(ParseDecimal(nullptr), 0u);
    EXPECT_EQ(ParseDecimal(" 5"), 0u);
}

TEST(SetExecutablePath, RefusesAPathThatDoesNotFit)
{
    std::string fits(259, 'a');
    EXPECT_TRUE(SetExecutablePath(fits.c_str()));
    EXPECT_EQ(std::string(theApp.m_szExecutablePath), fits);
    std::string tooLong(260, 'b');
    EXPECT_FALSE(SetExecutablePath(tooLong.c_str()));
    EXPECT_EQ(theApp.m_szExecutablePath[0], '\0');
}
