#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "tests/support/window_script.h"
#include "ui/cancel_dialog.h"
#include "ui/install_dialog.h"
#include "ui/installed_dialog.h"
#include "ui/no_response_dialog.h"
#include "ui/proxy_settings_dialog.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kInstall[] = "Quorvalent - Install";
const char kCancel[] = "Cancel Quorvalent Installation?";
const char kInstalled[] = "Quorvalent - Already Installed";
const char kNoResponse[] = "No Response From Quorvalent Server";
const char kProxies[] = "Proxy Settings";

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

LONG WeightOf(HWND window)
{
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfWeight;
}

DialogStep Click(const char* caption, int id)
{
    return {caption, [id](HWND dialog) { ClickButton(dialog, id); }};
}

DialogStep Key(const char* caption, WPARAM key)
{
    return {caption, [key](HWND) { PostKeyToFocus(key); }};
}

DialogStep CloseBox(const char* caption)
{
    return {caption, [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }};
}

// Runs the dialog with the script; its result, or -2 when the script did not
// go to its end.
int32_t RunScripted(CDialogEx& dialog, std::vector<DialogStep> steps)
{
    DialogScript script(std::move(steps));
    int32_t result = dialog.DoModal();
    bool finished = script.Finished();
    DialogScript::TakeQuit();
    return finished ? result : -2;
}

}  // namespace

TEST(InstallerDialogs, CaptionBoldLineAndFirstFocus)
{
    struct Case {
        const char* caption;
        std::function<std::unique_ptr<CDialogEx>()> make;
        int boldId;
        int focusId;
    };
    const Case cases[] = {
        {kInstall, [] { return std::unique_ptr<CDialogEx>(new CInstallDialog); }, 1008, IDOK},
        {kInstalled, [] { return std::unique_ptr<CDialogEx>(new CInstalledDialog); }, 1008, IDOK},
        {kCancel, [] { return std::unique_ptr<CDialogEx>(new CCancelDialog); }, 1008, IDCANCEL},
        {kNoResponse, [] { return std::unique_ptr<CDialogEx>(new CNoResponseDialog); }, 1006, IDOK},
        {kProxies, [] { return std::unique_ptr<CDialogEx>(new CProxySettingsDialog); }, 0, IDOK},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CDialogEx> dialog = c.make();
        int32_t result = RunScripted(*dialog, {{c.caption, [&](HWND window) {
            if (c.boldId) {
                EXPECT_EQ(WeightOf(GetDlgItem(window, c.boldId)), FW_BOLD) << c.caption;
            }
            EXPECT_EQ(GetFocus(), GetDlgItem(window, c.focusId)) << c.caption;
            EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr) << c.caption;
            // OK ends each of them (the Install dialog's cancel would ask first).
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }}});
        EXPECT_NE(result, -2) << c.caption;
    }
}

TEST(InstallDialog, ResultsAndChoicesFromButtonsKeysAndTheCancelQuestion)
{
    struct Case {
        const char* name;
        std::vector<DialogStep> steps;
        int32_t result;
        int32_t desktop, quickLaunch, startup;
    };
    DialogStep uncheckAll = {kInstall, [](HWND d) {
        for (int id : {1168, 1169, 1170})
            ClickButton(d, id);
    }};
    DialogStep uncheckDesktop = {kInstall, [](HWND d) { ClickButton(d, 1168); }};
    DialogStep stillOpenAsLeft = {kInstall, [](HWND d) {
        EXPECT_FALSE(Checked(d, 1168));
        EXPECT_TRUE(Checked(d, 1169) && Checked(d, 1170));
    }};
    const Case cases[] = {
        {"all three unchecked, Install", {uncheckAll, Click(kInstall, IDOK)}, IDOK, 0, 0, 0},
        {"Enter is Install", {Key(kInstall, VK_RETURN)}, IDOK, 1, 1, 1},
        {"Escape, No keeps the boxes",
         {uncheckDesktop, Key(kInstall, VK_ESCAPE), Click(kCancel, IDCANCEL), stillOpenAsLeft, Click(kInstall, IDOK)},
         IDOK, 0, 1, 1},
        {"Escape, Yes", {uncheckDesktop, Key(kInstall, VK_ESCAPE), Click(kCancel, IDOK)}, IDCANCEL, 1, 1, 1},
        {"Cancel button, Enter in the question is No",
         {uncheckDesktop, Click(kInstall, IDCANCEL), Key(kCancel, VK_RETURN), stillOpenAsLeft, Click(kInstall, IDOK)},
         IDOK, 0, 1, 1},
        {"close box, the question's close box and Escape are No",
         {uncheckDesktop, CloseBox(kInstall), CloseBox(kCancel), stillOpenAsLeft, CloseBox(kInstall),
          Key(kCancel, VK_ESCAPE), stillOpenAsLeft, Click(kInstall, IDOK)},
         IDOK, 0, 1, 1},
    };
    for (const Case& c : cases) {
        CInstallDialog dialog;
        dialog.desktopIcon = dialog.quickLaunchIcon = dialog.startWithWindows = 1;
        EXPECT_EQ(RunScripted(dialog, c.steps), c.result) << c.name;
        // A cancelled dialog's values are not looked at; they stay as loaded.
        EXPECT_EQ(dialog.desktopIcon, c.desktop) << c.name;
        EXPECT_EQ(dialog.quickLaunchIcon, c.quickLaunch) << c.name;
        EXPECT_EQ(dialog.startWithWindows, c.startup) << c.name;
    }
}

TEST(InstalledDialog, LaunchRemoveAndEveryWayOfCancelling)
{
    struct Case {
        const char* name;
        DialogStep step;
        int32_t result;
    };
    const Case cases[] = {
        {"Launch", Click(kInstalled, IDOK), IDOK},
        {"Remove", Click(kInstalled, 3), 3},
        {"Cancel", Click(kInstalled, IDCANCEL), IDCANCEL},
        {"Escape", Key(kInstalled, VK_ESCAPE), IDCANCEL},
        {"close box", CloseBox(kInstalled), IDCANCEL},
        {"WM_CLOSE", {kInstalled, [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }}, IDCANCEL},
    };
    for (const Case& c : cases) {
        CInstalledDialog dialog;
        EXPECT_EQ(RunScripted(dialog, {c.step}), c.result) << c.name;
    }
}

TEST(NoResponseDialog, ProxiesKeepsItOpenAndConnectOrExitEndIt)
{
    struct Case {
        const char* name;
        std::vector<DialogStep> steps;
        int32_t result;
    };
    const Case cases[] = {
        {"Connect", {Click(kNoResponse, IDOK)}, IDOK},
        {"Exit", {Click(kNoResponse, IDCANCEL)}, IDCANCEL},
        {"close box", {CloseBox(kNoResponse)}, IDCANCEL},
        {"Proxies, Cancel, Connect",
         {Click(kNoResponse, 3), Click(kProxies, IDCANCEL), Click(kNoResponse, IDOK)}, IDOK},
        {"Proxies, OK, Exit", {Click(kNoResponse, 3), Click(kProxies, IDOK), Click(kNoResponse, IDCANCEL)},
         IDCANCEL},
    };
    for (const Case& c : cases) {
        CNoResponseDialog dialog;
        EXPECT_EQ(RunScripted(dialog, c.steps), c.result) << c.name;
    }
}

TEST(RunInstallDialog, StoresTheChoicesOnlyWhenInstallIsChosen)
{
    struct Case {
        const char* name;
        uint8_t silent;
        std::vector<DialogStep> steps;
        bool goesOn;
        uint8_t desktop, quickLaunch, startup;
    };
    DialogStep uncheckAll = {kInstall, [](HWND d) {
        for (int id : {1168, 1169, 1170})
            ClickButton(d, id);
    }};
    const Case cases[] = {
        {"all unchecked, Install stores three zero flags", 0, {uncheckAll, Click(kInstall, IDOK)}, true, 0, 0, 0},
        {"unchecked, then cancelled: the flags stay", 0,
         {uncheckAll, Click(kInstall, IDCANCEL), Click(kCancel, IDOK)}, false, 1, 1, 1},
        {"silent shows nothing", 1, {}, true, 1, 1, 1},
    };
    for (const Case& c : cases) {
        theApp.m_bSilent = c.silent;
        theApp.m_bDesktopIcon = theApp.m_bQuickLaunchIcon = theApp.m_bStartWithWindows = 1;
        DialogScript script(c.steps);
        EXPECT_EQ(theApp.RunInstallDialog(), c.goesOn) << c.name;
        EXPECT_TRUE(script.Finished()) << c.name;
        DialogScript::TakeQuit();
        EXPECT_EQ(theApp.m_bDesktopIcon, c.desktop) << c.name;
        EXPECT_EQ(theApp.m_bQuickLaunchIcon, c.quickLaunch) << c.name;
        EXPECT_EQ(theApp.m_bStartWithWindows, c.startup) << c.name;
    }
    theApp.m_bSilent = 0;
}
