#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "tests/support/window_script.h"
#include "ui/cancel_dialog.h"
#include "ui/install_dialog.h"
#include "ui/installed_dialog.h"
#include "ui/no_response_dialog.h"
#include "ui/proxy_settings_dialog.h"

#include <map>
#include <memory>
#include <sstream>

namespace {

// Steps written "D:ACT ...": D the dialog (I Install, C its Cancel question, A Already Installed, N No
// Response, P Proxy Settings); ACT a button to click (its id), Return, Escape, close (the close box), or
// =XYZ: the Install dialog's desktop, startup and Quick Launch boxes must be X, Y and Z (1 checked).
std::vector<DialogStep> Steps(const std::string& script)
{
    const std::map<char, const char*> captions = {{'I', "Quorvalent - Install"},
                                                  {'C', "Cancel Quorvalent Installation?"},
                                                  {'A', "Quorvalent - Already Installed"},
                                                  {'N', "No Response From Quorvalent Server"},
                                                  {'P', "Proxy Settings"}};
    std::vector<DialogStep> steps;
    std::istringstream words(script);
    for (std::string word; words >> word;) {
        steps.push_back({captions.at(word[0]), [act = word.substr(2)](HWND d) {
                             if (act == "Return" || act == "Escape")
                                 PostKeyToFocus(act == "Return" ? VK_RETURN : VK_ESCAPE);
                             else if (act == "close")
                                 PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
                             else if (act[0] == '=')
                                 for (int i = 0; i < 3; ++i)
                                     EXPECT_EQ(IsDlgButtonChecked(d, 1168 + i), UINT(act[1 + i] - '0'))
                                         << 1168 + i;
                             else
                                 ClickButton(d, std::stoi(act));
                         }});
    }
    return steps;
}

}  // namespace

TEST(InstallerDialogs, BoldLineFirstFocusAndNoOwner)
{
    CAlertDialog* alert = new CAlertDialog;
    alert->SetTitle("Cut");
    alert->SetMessage(std::string(3000, 'x').c_str());  // shown cut to 2047 characters
    const struct {
        const char* caption;
        CDialogEx* dialog;
        int boldId, focusId;
    } cases[] = {{"Quorvalent - Install", new CInstallDialog, 1008, IDOK},
                 {"Quorvalent - Already Installed", new CInstalledDialog, 1008, IDOK},
                 {"Cancel Quorvalent Installation?", new CCancelDialog, 1008, IDCANCEL},
                 {"No Response From Quorvalent Server", new CNoResponseDialog, 1006, IDOK},
                 {"Proxy Settings", new CProxySettingsDialog, 0, IDOK},
                 {"Cut", alert, 1008, IDOK}};
    for (const auto& c : cases) {
        std::unique_ptr<CDialogEx> dialog(c.dialog);
        auto look = [&](HWND d) {
            LOGFONTA font = {};
            GetObjectA(HGDIOBJ(SendDlgItemMessageA(d, c.boldId, WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_EQ(font.lfWeight, c.boldId ? FW_BOLD : 0) << c.caption;
            EXPECT_EQ(GetFocus(), GetDlgItem(d, c.focusId)) << c.caption;
            EXPECT_EQ(GetWindow(d, GW_OWNER), nullptr) << c.caption;
            EXPECT_EQ(WindowTextOf(GetDlgItem(d, 1006)).size() == 2047, dialog.get() == alert) << c.caption;
            PostMessageA(d, WM_COMMAND, IDOK, 0);
        };
        EXPECT_NE(RunScripted(*dialog, {{c.caption, look}}), -2) << c.caption;
    }
}

TEST(InstallerDialogs, TheCancelQuestionRemoveAndProxiesAnswerAsTheyShould)
{
    const struct {
        char dialog;
        const char* steps;
        int32_t result;
    } cases[] = {{'I', "I:Escape C:1", IDCANCEL},
                 {'I', "I:1168 I:Escape C:2 I:=011 I:Return", IDOK},
                 // The question's default is No, and so are its close box and Escape.
                 {'I', "I:1168 I:2 C:Return I:=011 I:close C:close I:close C:Escape I:=011 I:1", IDOK},
                 {'A', "A:3", 3},
                 {'A', "A:close", IDCANCEL},
                 {'N', "N:3 P:1 N:1", IDOK}};
    for (const auto& c : cases) {
        std::unique_ptr<CDialogEx> dialog;
        if (c.dialog == 'I') {
            CInstallDialog* install = new CInstallDialog;
            install->desktopIcon = install->quickLaunchIcon = install->startWithWindows = 1;
            dialog.reset(install);
        } else {
            dialog.reset(c.dialog == 'A' ? static_cast<CDialogEx*>(new CInstalledDialog)
                                         : new CNoResponseDialog);
        }
        EXPECT_EQ(RunScripted(*dialog, Steps(c.steps)), c.result) << c.steps;
    }
}

TEST(RunInstallDialog, StoresTheChoicesOnlyWhenInstallIsChosen)
{
    const struct {
        uint8_t silent;
        const char* steps;
        bool goesOn;
        int flags;  // desktop, Quick Launch, startup as decimal digits
    } cases[] = {{0, "I:1168 I:1169 I:1170 I:1", true, 0},
                 {0, "I:1170 I:1", true, 101},
                 {0, "I:1168 I:1169 I:1170 I:2 C:1", false, 111},
                 {1, "", true, 111}};
    for (const auto& c : cases) {
        theApp.m_bSilent = c.silent;
        theApp.m_bDesktopIcon = theApp.m_bQuickLaunchIcon = theApp.m_bStartWithWindows = 1;
        bool goesOn = false;
        EXPECT_TRUE(RunScripted([&] { goesOn = theApp.RunInstallDialog(); }, Steps(c.steps))) << c.steps;
        EXPECT_EQ(goesOn, c.goesOn) << c.steps;
        EXPECT_EQ(theApp.m_bDesktopIcon * 100 + theApp.m_bQuickLaunchIcon * 10 + theApp.m_bStartWithWindows,
                  c.flags)
            << c.steps;
    }
    theApp.m_bSilent = 0;
}
