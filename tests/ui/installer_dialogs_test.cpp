#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "tests/support/data_rows.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/window_script.h"
#include "ui/installed_dialog.h"
#include "ui/no_response_dialog.h"
#include "ui/proxy_settings_dialog.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>

namespace {

// Whether the window's centre lies within a pixel of the work area's.
bool Centred(HWND window)
{
    RECT area = {}, shown = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(window, &shown);
    return std::abs((shown.left + shown.right) - (area.left + area.right)) <= 3 &&
           std::abs((shown.top + shown.bottom) - (area.top + area.bottom)) <= 3;
}

// What the row's call ends with under its steps, both as in
// tests/data/dialogs/questions.txt; each step notes a dialog off the centre.
std::string Outcome(const std::string& call, const std::string& script)
{
    const std::map<char, const char*> captions = {{'I', "Quorvalent - Install"},
                                                  {'C', "Cancel Quorvalent Installation?"},
                                                  {'A', "Quorvalent - Already Installed"},
                                                  {'N', "No Response From Quorvalent Server"},
                                                  {'P', "Proxy Settings"}};
    std::string offCentre;
    std::vector<DialogStep> steps;
    std::istringstream words(script);
    for (std::string word; words >> word;)
        steps.push_back({captions.at(word[0]), [what = word.substr(2), &offCentre](HWND d) {
                             offCentre += Centred(d) ? "" : ", off centre";
                             Press(d, what);
                         }});
    DeleteFileA(ProxiesPath().c_str());
    ProxySettings& s = ProxySettings::Instance();
    s.Load();
    theApp.m_bSilent = call == "install silent";
    theApp.m_bDesktopIcon = theApp.m_bStartWithWindows = theApp.m_bQuickLaunchIcon = 1;
    std::unique_ptr<CDialogEx> dialog(call == "already installed" ? new CInstalledDialog
                                      : call == "no response" ? static_cast<CDialogEx*>(new CNoResponseDialog)
                                      : call == "proxy settings" ? new CProxySettingsDialog
                                                                 : nullptr);
    int32_t result = 0;
    bool ran = RunScripted([&] { result = dialog ? dialog->DoModal() : theApp.RunInstallDialog(); }, steps);
    std::string outcome = std::string(ran ? "" : "unfinished, ") + std::to_string(result) + offCentre;
    if (!dialog)
        return outcome + ", choices " + std::to_string(theApp.m_bDesktopIcon) +
               std::to_string(theApp.m_bStartWithWindows) + std::to_string(theApp.m_bQuickLaunchIcon);
    if (call == "proxy settings")
        outcome += ", " + ProxyFields(s) +
                   (GetFileAttributesA(ProxiesPath().c_str()) == INVALID_FILE_ATTRIBUTES ? ", not saved"
                                                                                         : ", saved") +
                   (s.IsDirty() ? ", dirty" : "");
    return outcome;
}

}  // namespace

TEST(InstallerDialogs, EachQuestionEndsAsItsStepsSay)
{
    for (const DataRow& row : ReadDataRows("dialogs/questions.txt"))
        EXPECT_EQ(Outcome(row[0], row.at(1)), row.at(2)) << row[0] << ": " << row[1];
}
