#include "tests/support/gtest.h"

#include "app/installer_app.h"

#include <vector>

TEST(ParseOptions, ReadsEachOptionAsTheFlowExpects)
{
    const struct {
        std::vector<const char*> arguments;
        uint8_t oem;
        uint8_t silent;
        uint32_t bundle;
    } cases[] = {
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
        // The value is examined as an option of its own too.
        {{"/bundle", "/silent"}, 0, 1, 0},
        {{"/bundle", "4294967297"}, 0, 0, 1},
        {{"-SILENT", "/oem", "/unknown", "x"}, 1, 1, 2},
        {{"/", "-"}, 0, 0, 2},
    };
    int savedCount = __argc;
    char** savedVector = __argv;
    for (const auto& c : cases) {
        std::vector<char*> vector = {const_cast<char*>("quorvalent-setup.exe")};
        for (const char* argument : c.arguments) vector.push_back(const_cast<char*>(argument));
        __argc = static_cast<int>(vector.size());
        __argv = vector.data();
        InstallerApp app;
        app.ParseOptions();
        std::string label = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(app.m_bOem, c.oem) << label;
        EXPECT_EQ(app.m_bSilent, c.silent) << label;
        EXPECT_EQ(app.m_nBundle, c.bundle) << label;
        EXPECT_EQ(app.m_bDesktopIcon, 1) << label;
    }
    __argc = savedCount;
    __argv = savedVector;
}

TEST(SetExecutablePath, RefusesAPathThatDoesNotFit)
{
    std::string fits(259, 'a');
    EXPECT_TRUE(SetExecutablePath(fits.c_str()));
    EXPECT_EQ(std::string(theApp.m_szExecutablePath), fits);
    std::string tooLong(260, 'b');
    EXPECT_FALSE(SetExecutablePath(tooLong.c_str()));
    EXPECT_EQ(theApp.m_szExecutablePath[0], '\0') << "nothing may register a cut path";
}
