#include "tests/support/gtest.h"

#include "ui/alert.h"
#include "ui/install_dialog.h"
#include "ui/installed_dialog.h"
#include "ui/no_response_dialog.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

// Started by the test below in a prefix of its own, with a display; never by
// itself. Prints each dialog's result for the script to check.
TEST(InstallerDialogChild, DISABLED_RunsEveryDialog)
{
    CInstallDialog install;
    install.desktopIcon = install.quickLaunchIcon = install.startWithWindows = 1;
    std::printf("install: %d\n", install.DoModal());
    CInstalledDialog installed;
    std::printf("installed: %d\n", installed.DoModal());
    CNoResponseDialog noResponse;
    std::printf("no response: %d\n", noResponse.DoModal());
    ShowAlert("Unable to Open URL", "Quorvalent was unable to open the URL.");
    std::printf("alert returned\n");
}

TEST(InstallerDialogsOnDisplay, EachAppearsAndAnswersTheKeysAPersonPresses)
{
    if (std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null") != 0)
        GTEST_SKIP() << "needs xvfb, xdotool and imagemagick";
    std::string command = "'" + Environment("QV_SOURCE_DIR") + "/tests/support/xvfb-dialogs' '" +
                          Environment("QV_BUILD_DIR") + "/artifacts' 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
        output += line;
    int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
    // Escape, No, then Install; Escape; Proxies..., Escape, then Connect.
    EXPECT_NE(output.find("install: 1"), std::string::npos) << output;
    EXPECT_NE(output.find("installed: 2"), std::string::npos) << output;
    EXPECT_NE(output.find("no response: 1"), std::string::npos) << output;
    EXPECT_NE(output.find("alert returned"), std::string::npos) << output;
}
