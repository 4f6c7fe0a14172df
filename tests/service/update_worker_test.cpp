#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "tests/support/link_recorder.h"
#include "tests/support/linux_peer.h"
#include "tests/support/process.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/test_env.h"
#include "ui/frame_wnd_ex.h"

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

int CountLines(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

}  // namespace

// The worker against the real service, with the application's own run loop
// on this thread: each refusal is told, its page opened, and the loop ends.
TEST(UpdateWorker, EachRefusalIsToldWithItsPageAndEndsTheProgram)
{
    // The shell's link launcher is a plain Windows program.
    WithoutSanitizerPreload plainWindowsPrograms;
    std::string record = InstallLinkRecorder();
    setenv("TZ", "EST5", 1);
    tzset();
    UseNoProxy();
    const char* unavailableAlert = "Auto-update Problem: Updates are currently unavailable. Please try again a "
                                   "little later.";
    const struct {
        const char* refusal;
        int32_t outcome;
        const char* alert;
        int linksAfter;
    } cases[] = {
        {"unavailable", OutcomeServiceUnavailable,
         "Quorvalent Service Unavailable: The Quorvalent service is currently unavailable. A web page will "
         "open with more information.",
         1},
        {"manual", OutcomeManualUpdate,
         "Auto-update Problem: There is a problem with the auto-updating. Please visit the Quorvalent website "
         "to update your version of Quorvalent manually.",
         2},
        {"noupdate", OutcomeUpdatesUnavailable, unavailableAlert, 2},
        {"empty", OutcomeUpdatesUnavailable, unavailableAlert, 2},
    };
    CFrameWndEx placeholder;
    for (const auto& c : cases) {
        LinuxPeer service("service", "127.0.0.40", 16000,
                          {BuildPath("quorvalent-service"), "--preamble", "--refuse", c.refusal});
        ASSERT_TRUE(service.Ready()) << c.refusal;
        std::string told;
        {
            StderrCapture capture;
            theApp.m_pMainWnd = &placeholder;
            theApp.StartUpdateWorker();
            EXPECT_EQ(theApp.Run(), 0) << c.refusal;
            told = capture.Text();
        }
        theApp.m_pMainWnd = nullptr;
        EXPECT_EQ(theApp.m_nOutcome, c.outcome) << c.refusal;
        EXPECT_NE(told.find(std::string(c.alert) + "\n"), std::string::npos) << c.refusal << ": " << told;
        EXPECT_NE(told.find("Connected..."), std::string::npos) << told;
        std::string links = WaitForLinks(record, c.linksAfter);
        EXPECT_EQ(CountLines(links), c.linksAfter) << c.refusal << ": " << links;
    }
    Sleep(500);
    EXPECT_EQ(WaitForLinks(record, 0),
              "http://status.quorvalent.example/?tz=-18000\nhttp://www.quorvalent.example/download/\n");
}
