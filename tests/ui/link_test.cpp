#include "tests/support/gtest.h"

#include "tests/support/link_recorder.h"
#include "tests/support/test_env.h"
#include "base/text.h"
#include "ui/link.h"

#include <windows.h>

#include <string>
#include <vector>

TEST(DefaultScheme, CompletesLooselyWrittenLinks)
{
    const struct {
        const char* text;
        const char* scheme;
    } cases[] = {
        {"http://a", nullptr},        {"HTTP://a", nullptr},       {"https://a", nullptr},
        {"ftp://a", nullptr},         {"rtsp://a", nullptr},       {"MailTo:x@y", nullptr},
        {"www.a.example", "http://"}, {"WWW.a", "http://"},        {"ftp.a.example", "ftp://"},
        {"host.example", "http://"},  {"a@b.example/x", "http://"}, {"a@b.example", "mailto:"},
        {"", "http://"},              {"http:/", "http://"},
    };
    for (const auto& c : cases) {
        const char* scheme = DefaultScheme(c.text);
        EXPECT_STREQ(scheme ? scheme : "(none)", c.scheme ? c.scheme : "(none)") << c.text;
    }
    EXPECT_TRUE(HasPrefixNoCase("HtTp://x", "http://", 7));
    EXPECT_FALSE(HasPrefixNoCase("htt", "http", 4));
}

TEST(OpenLink, HandsCompletedLinksToTheBrowserAndMailProgram)
{
    // The shell hands links to Wine's own launcher, a plain Windows program.
    WithoutSanitizerPreload plainWindowsPrograms;
    std::string record = InstallLinkRecorder();
    OpenLink("www.quorvalent.example/download/");
    std::string links = WaitForLinks(record, 1);
    OpenLink("support@quorvalent.example");
    links = WaitForLinks(record, 2);
    EXPECT_NE(links.find("http://www.quorvalent.example/download/\n"), std::string::npos) << links;
    EXPECT_NE(links.find("mailto:support@quorvalent.example\n"), std::string::npos) << links;
}

namespace {

DWORD WINAPI OpenEachLink(LPVOID parameter)
{
    for (const std::string& link : *static_cast<const std::vector<std::string>*>(parameter))
        OpenLink(link.c_str());
    return 0;
}

// Opens each link on a thread of its own, as the worker would, and answers
// every alert that appears; returns the number of alerts titled `title`.
int OpenLinksAnsweringAlerts(const std::vector<std::string>& links, const char* title)
{
    HANDLE thread = CreateThread(nullptr, 0, OpenEachLink, const_cast<std::vector<std::string>*>(&links), 0,
                                 nullptr);
    int answered = 0;
    while (WaitForSingleObject(thread, 50) == WAIT_TIMEOUT) {
        if (HWND alert = FindWindowA(nullptr, title)) {
            PostMessageA(alert, WM_COMMAND, IDOK, 0);
            ++answered;
            // Let it go before looking for the next one.
            while (IsWindow(alert) && WaitForSingleObject(thread, 20) == WAIT_TIMEOUT) {
            }
        }
    }
    CloseHandle(thread);
    return answered;
}

}  // namespace

TEST(OpenLink, RefusesALinkThatDoesNotFitItsBuffer)
{
    std::string record = InstallLinkRecorder();
    std::string longLink = "http://www.quorvalent.example/" + std::string(kLinkBufferSize, 'a');
    EXPECT_EQ(OpenLinksAnsweringAlerts({longLink, longLink.substr(7)}, "Unable to Open URL"), 2);
    Sleep(500);
    EXPECT_EQ(WaitForLinks(record, 0), "");
}
