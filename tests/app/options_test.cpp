#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "tests/support/data_rows.h"
#include "tests/support/wine_probe.h"

#include <sstream>

TEST(InstallerApp, ReadsEachOptionAsTheFlowExpectsAndRefusesAnExecutablePathThatDoesNotFit)
{
    const auto cases = ReadDataRows("app/options.txt", 2);
    ASSERT_FALSE(cases.empty());
    const int savedCount = __argc;
    char** const savedVector = __argv;
    for (const auto& c : cases) {
        std::istringstream line("quorvalent-setup.exe " + c[0]);
        std::vector<std::string> words;
        for (std::string word; line >> word;) words.push_back(word);
        std::vector<char*> vector;
        for (std::string& word : words) vector.push_back(&word[0]);
        __argc = int(vector.size()), __argv = vector.data();
        InstallerApp app;
        app.ParseOptions();
        EXPECT_EQ(std::to_string(app.m_bOem) + " " + std::to_string(app.m_bSilent) + " " +
                      std::to_string(app.m_nBundle) + (app.m_bDesktopIcon ? "" : " without the desktop icon"),
                  c[1])
            << c[0];
    }
    __argc = savedCount, __argv = savedVector;
    EXPECT_TRUE(SetExecutablePath(std::string(259, 'a').c_str()));
    EXPECT_EQ(std::string(theApp.m_szExecutablePath), std::string(259, 'a'));
    EXPECT_FALSE(SetExecutablePath(std::string(260, 'b').c_str()));
    EXPECT_EQ(theApp.m_szExecutablePath[0], '\0') << "nothing may register a cut path";
}
