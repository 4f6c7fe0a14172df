#include "tests/support/gtest.h"

#include "tests/support/linux_peer.h"
#include "tests/support/process.h"
#include "base/alert.h"
#include "ui/install_dialog.h"
#include "ui/installed_dialog.h"
#include "ui/no_response_dialog.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

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

namespace {

bool HasDisplayTools()
{
    return std::system(
               "command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v import "
               ">/dev/null") == 0;
}

// Runs one of the display scripts with an argument; its exit code and
// output. No time limit of our own: each script bounds its own waits, and a
// sanitized Wine needs more than the minute that RunCommand allows.
int RunDisplayScript(const char* script, const std::string& argument, std::string* output)
{
    std::string command =
        "'" + Environment("QV_SOURCE_DIR") + "/tests/support/" + script + "' '" + argument + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) *output += line;
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(InstallerDialogsOnDisplay, EachAppearsAndAnswersTheKeysAPersonPresses)
{
    if (!HasDisplayTools())
        GTEST_SKIP() << "needs xvfb, xdotool and imagemagick";
    std::string output;
    EXPECT_EQ(RunDisplayScript("xvfb-dialogs", Environment("QV_BUILD_DIR") + "/artifacts", &output), 0)
        << output;
    // Escape, No, then Install; Escape; Proxies..., Escape, then Connect.
    EXPECT_NE(output.find("install: 1"), std::string::npos) << output;
    EXPECT_NE(output.find("installed: 2"), std::string::npos) << output;
    EXPECT_NE(output.find("no response: 1"), std::string::npos) << output;
    EXPECT_NE(output.find("alert returned"), std::string::npos) << output;
}

TEST(InstallOnDisplay, InstallPressedDownloadsInstallsAndStartsTheProgram)
{
    if (!HasDisplayTools())
        GTEST_SKIP() << "needs xvfb, xdotool and imagemagick";
    // Started with the sanitizer's preload, the installer's fresh prefix
    // cannot start Wine's desktop process, so no window could appear.
    if (!Environment("QV_PRELOAD").empty())
        GTEST_SKIP() << "the desktop process of a fresh prefix cannot start with the sanitizer preloaded";
    LinuxPeer web("nginx", "127.0.0.10", 80);
    LinuxPeer service("service", "127.0.0.40", 16000,
                      {BuildPath("quorvalent-service"), "--package-url",
                       "http://files.quorvalent.test/slow/q.pkg", "--package-number", "1"});
    ASSERT_TRUE(web.Ready() && service.Ready());
    std::string copied;
    const std::string slow = web.Folder() + "/www/slow";
    ASSERT_EQ(RunCommand("mkdir -p '" + slow + "' && cp '" + BuildPath("resources/embedded.pkg") + "' '" +
                             slow + "/q.pkg'",
                         &copied),
              0);
    std::string output;
    EXPECT_EQ(RunDisplayScript("xvfb-install", Environment("QV_BUILD_DIR") + "/artifacts/install-road.png",
                               &output),
              0)
        << output;
    std::printf("%s", output.c_str());
    EXPECT_NE(output.find("progress window: "), std::string::npos) << output;
    EXPECT_EQ(output.find("starts: none"), std::string::npos) << output;
}
