#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "tests/support/window_script.h"
#include "ui/cancel_dialog.h"
#include "ui/install_dialog.h"
#include "ui/installed_dialog.h"
#include "ui/no_response_dialog.h"
#include "ui/proxy_settings_dialog.h"

#include <memory>

namespace {

const char kInstall[] = "Quorvalent - Install";
const char kCancel[] = "Cancel Quorvalent Installation?";
const char kInstalled[] = "Quorvalent - Already Installed";
const char kNoResponse[] = "No Response From Quorvalent Server";

DialogStep Key(const char* caption, WPARAM key)
{
    return {caption, [key](HWND) { PostKeyToFocus(key); }};
}
DialogStep Click(const char* caption, int id)
{
    return {caption, [id](HWND d) { ClickButton(d, id); }};
}
DialogStep CloseBox(const char* caption)
{
    return {caption, [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }};
}
// Clicks the Install dialog's boxes: desktop 1168, startup 1169, Quick Launch 1170.
DialogStep Toggle(std::vector<int> boxes)
{
    return {kInstall, [boxes](HWND d) {
                for (int id : boxes) ClickButton(d, id);
            }};
}
// The desktop box cleared, the two others still checked.
const DialogStep kAsLeft = {kInstall, [](HWND d) {
                                EXPECT_EQ(IsDlgButtonChecked(d, 1168) * 4 + IsDlgButtonChecked(d, 1169) * 2 +
                                              IsDlgButtonChecked(d, 1170),
                                          3u);
                            }};

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
    } cases[] = {{kInstall, new CInstallDialog, 1008, IDOK},
                 {kInstalled, new CInstalledDialog, 1008, IDOK},
                 {kCancel, new CCancelDialog, 1008, IDCANCEL},
                 {kNoResponse, new CNoResponseDialog, 1006, IDOK},
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
    auto install = [] {
        CInstallDialog* dialog = new CInstallDialog;
        dialog->desktopIcon = dialog->quickLaunchIcon = dialog->startWithWindows = 1;
        return static_cast<CDialogEx*>(dialog);
    };
    auto installed = [] { return static_cast<CDialogEx*>(new CInstalledDialog); };
    auto noResponse = [] { return static_cast<CDialogEx*>(new CNoResponseDialog); };
    const struct {
        std::function<CDialogEx*()> make;
        std::vector<DialogStep> steps;
        int32_t result;
    } cases[] = {
        {install, {Key(kInstall, VK_ESCAPE), Click(kCancel, IDOK)}, IDCANCEL},
        {install,
         {Toggle({1168}), Key(kInstall, VK_ESCAPE), Click(kCancel, IDCANCEL), kAsLeft,
          Key(kInstall, VK_RETURN)},
         IDOK},
        // The question's default is No, and its close box and Escape are No too.
        {install,
         {Toggle({1168}), Click(kInstall, IDCANCEL), Key(kCancel, VK_RETURN), kAsLeft, CloseBox(kInstall),
          CloseBox(kCancel), CloseBox(kInstall), Key(kCancel, VK_ESCAPE), kAsLeft, Click(kInstall, IDOK)},
         IDOK},
        {installed, {Click(kInstalled, 3)}, 3},
        {installed, {CloseBox(kInstalled)}, IDCANCEL},
        {noResponse, {Click(kNoResponse, 3), Click("Proxy Settings", IDOK), Click(kNoResponse, IDOK)}, IDOK}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::unique_ptr<CDialogEx> dialog(cases[i].make());
        EXPECT_EQ(RunScripted(*dialog, cases[i].steps), cases[i].result) << "case " << i;
    }
}

TEST(RunInstallDialog, StoresTheChoicesOnlyWhenInstallIsChosen)
{
    const struct {
        uint8_t silent;
        std::vector<DialogStep> steps;
        bool goesOn;
        uint8_t desktop, quickLaunch, startup;
    } cases[] = {
        {0, {Toggle({1168, 1169, 1170}), Click(kInstall, IDOK)}, true, 0, 0, 0},
        {0, {Toggle({1170}), Click(kInstall, IDOK)}, true, 1, 0, 1},
        {0, {Toggle({1168, 1169, 1170}), Click(kInstall, IDCANCEL), Click(kCancel, IDOK)}, false, 1, 1, 1},
        {1, {}, true, 1, 1, 1}};
    for (const auto& c : cases) {
        theApp.m_bSilent = c.silent;
        theApp.m_bDesktopIcon = theApp.m_bQuickLaunchIcon = theApp.m_bStartWithWindows = 1;
        bool goesOn = false;
        EXPECT_TRUE(RunScripted([&] { goesOn = theApp.RunInstallDialog(); }, c.steps));
        EXPECT_EQ(goesOn, c.goesOn);
        EXPECT_EQ(theApp.m_bDesktopIcon * 100 + theApp.m_bQuickLaunchIcon * 10 + theApp.m_bStartWithWindows,
                  c.desktop * 100 + c.quickLaunch * 10 + c.startup);
    }
    theApp.m_bSilent = 0;
}
