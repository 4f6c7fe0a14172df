#include "tests/support/gtest.h"

#include "tests/support/data_rows.h"
#include "tests/support/link_recorder.h"
#include "tests/support/test_env.h"
#include "tests/support/window_script.h"
#include "ui/link.h"

TEST(OpenLink, CompletesLinksAndHandsThoseThatFitToTheBrowserOrMailProgram)
{
    for (const DataRow& row : ReadDataRows("link/schemes.txt")) {
        const char* scheme = DefaultScheme(row[0].c_str());
        EXPECT_EQ(scheme ? scheme : "none", row.at(1)) << row[0];
    }
    WithoutSanitizerPreload plainWindowsPrograms;
    std::string record = InstallLinkRecorder();
    std::string longLink = "http://www.quorvalent.example/" + std::string(kLinkBufferSize, 'a');
    auto openLongLinks = [&] {
        OpenLink(longLink.c_str());
        OpenLink(longLink.substr(7).c_str());
    };
    EXPECT_TRUE(RunScripted(openLongLinks, {PressOk("Unable to Open URL"), PressOk("Unable to Open URL")}));
    OpenLink("www.quorvalent.example/download/");
    WaitForLinks(record, 1);
    OpenLink("support@quorvalent.example");
    EXPECT_EQ(WaitForLinks(record, 2),
              "http://www.quorvalent.example/download/\nmailto:support@quorvalent.example\n");
}
