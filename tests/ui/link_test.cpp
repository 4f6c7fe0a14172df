#include "tests/support/gtest.h"

#include "base/text.h"
#include "tests/support/link_recorder.h"
#include "tests/support/test_env.h"
#include "tests/support/window_script.h"
#include "ui/link.h"

TEST(DefaultScheme, CompletesLooselyWrittenLinks)
{
    const char* const cases[][2] = {{"http://a", ""},     {"HTTP://a", ""},     {"https://a", ""},
                                    {"ftp://a", ""},      {"rtsp://a", ""},     {"MailTo:x@y", ""},
                                    {"www.a", "http://"}, {"WWW.a", "http://"}, {"ftp.a", "ftp://"},
                                    {"host", "http://"},  {"a@b/x", "http://"}, {"a@b", "mailto:"},
                                    {"", "http://"},      {"http:/", "http://"}};
    for (const auto& c : cases) {
        const char* scheme = DefaultScheme(c[0]);
        EXPECT_STREQ(scheme ? scheme : "", c[1]) << c[0];
    }
    EXPECT_FALSE(HasPrefixNoCase("htt", "http", 4)) << "a shorter text does not match";
}

TEST(OpenLink, HandsLinksThatFitToTheBrowserAndMailProgramAndRefusesTheOthers)
{
    WithoutSanitizerPreload plainWindowsPrograms;
    std::string record = InstallLinkRecorder();
    std::string longLink = "http://www.quorvalent.example/" + std::string(kLinkBufferSize, 'a');
    // On a thread of its own, as the worker would, while this one answers.
    auto open = [&] {
        OpenLink(longLink.c_str());
        OpenLink(longLink.substr(7).c_str());
        OpenLink("www.quorvalent.example/download/");
        WaitForLinks(record, 1);
        OpenLink("support@quorvalent.example");
    };
    EXPECT_EQ(AnswerAlertsWhileRunning(open, "Unable to Open URL"), 2);
    EXPECT_EQ(WaitForLinks(record, 2),
              "http://www.quorvalent.example/download/\nmailto:support@quorvalent.example\n");
}
