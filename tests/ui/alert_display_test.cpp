#include "tests/support/gtest.h"

#include "tests/support/host_command.h"
#include "base/alert.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// Started by the two tests below in a prefix of its own; never by itself.
TEST(AlertChild, DISABLED_ShowsTheAlertItIsGiven)
{
    ShowAlert(Environment("QV_ALERT_TITLE").c_str(), Environment("QV_ALERT_TEXT").c_str());
    std::printf("alert returned\n");
}

TEST(AlertOnDisplay, AppearsAsARealWindowThatReturnDismisses)
{
    if (!HostHas("Xvfb") || !HostHas("xdotool") || !HostHas("import"))
        GTEST_SKIP() << "needs xvfb, xdotool and imagemagick";
    std::string shot = Environment("QV_BUILD_DIR") + "/artifacts/alert.png";
    std::string output;
    int code = RunHost("QV_ALERT_TITLE='Unable to Open Browser' "
                       "QV_ALERT_TEXT='Quorvalent was unable to open your web browser.' " +
                           Quoted(Environment("QV_SOURCE_DIR") + "/tests/support/xvfb-alert") + " " +
                           Quoted(shot),
                       &output);
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("window: "), std::string::npos) << output;
    EXPECT_NE(output.find("screenshot: "), std::string::npos) << output;
    EXPECT_NE(output.find("alert returned"), std::string::npos) << output;
}

TEST(AlertOnDisplay, WithoutAnyDisplayTheAlertGoesToStderrAndReturns)
{
    std::string output;
    int code = RunHost("QV_ALERT_TITLE='No Display' QV_ALERT_TEXT='Nothing to show it on.' timeout 120 " +
                           Quoted(Environment("QV_SOURCE_DIR") + "/tests/support/alert-in-prefix") + " ''",
                       &output);
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("No Display: Nothing to show it on."), std::string::npos) << output;
    EXPECT_NE(output.find("alert returned"), std::string::npos) << output;
}
