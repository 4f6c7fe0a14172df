#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "base/folders.h"
#include "net/proxies_record.h"
#include "net/proxy_settings.h"
#include "tests/support/data_rows.h"
#include "tests/support/test_env.h"
#include "tests/support/window_script.h"
#include "ui/install_dialog.h"
#include "ui/installed_dialog.h"
#include "ui/no_response_dialog.h"
#include "ui/proxy_settings_dialog.h"

#include <map>
#include <memory>
#include <sstream>

namespace {

// The steps of a script as tests/data/dialogs/questions.txt writes them;
// what its "boxes" steps note goes to `notes`.
std::vector<DialogStep> Steps(const std::string& script, std::string* notes)
{
    const std::map<char, const char*> captions = {{'I', "Quorvalent - Install"},
                                                  {'C', "Cancel Quorvalent Installation?"},
                                                  {'A', "Quorvalent - Already Installed"},
                                                  {'N', "No Response From Quorvalent Server"},
                                                  {'P', "Proxy Settings"}};
    std::vector<DialogStep> steps;
    std::istringstream words(script);
    for (std::string word; words >> word;) {
        steps.push_back({captions.at(word[0]), [act = word.substr(2), notes](HWND d) {
                             size_t typed = act.find('=');
                             if (act == "Return" || act == "Escape") {
                                 PostKeyToFocus(act == "Return" ? VK_RETURN : VK_ESCAPE);
                             } else if (act == "close") {
                                 PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
                             } else if (act == "boxes") {
                                 for (int id : {1168, 1169, 1170})
                                     *notes += char('0' + IsDlgButtonChecked(d, id));
                                 *notes += ' ';
                             } else if (typed !=
                                        std::string::npos) {  // as a person types, within the box's limit
                                 SendDlgItemMessageA(d, std::stoi(act), EM_REPLACESEL, TRUE,
                                                     LPARAM(act.c_str() + typed + 1));
                             } else {
                                 ClickButton(d, std::stoi(act));
                             }
                         }});
    }
    return steps;
}

std::string ProxiesFile()
{
    char path[kFolderPathSize];
    GetPrefsFolder(path);
    ReplaceFileName(path, sizeof path, kProxiesFileName);
    return path;
}

std::string StoredProxies()
{
    const ProxySettings& s = ProxySettings::Instance();
    return std::string(", http ") + (s.HttpEnabled() ? "on \"" : "off \"") + s.HttpHost() + "\", socks " +
           (s.SocksEnabled() ? "on \"" : "off \"") + s.SocksHost() + "\":" + std::to_string(s.SocksPort()) +
           " v" + std::to_string(s.SocksVersion()) + " \"" + s.SocksUser() + "\"" +
           (ReadWholeFile(ProxiesFile()).found ? ", saved" : ", not saved") + (s.IsDirty() ? ", dirty" : "");
}

// How the row's call ends under its steps, worded as the data file words it.
std::string Outcome(const std::string& call, const std::string& script)
{
    std::string notes;
    std::vector<DialogStep> steps = Steps(script, &notes);
    std::unique_ptr<CDialogEx> dialog;
    if (call == "proxy settings") {
        DeleteFileA(ProxiesFile().c_str());
        ProxySettings::Instance().Load();
        dialog.reset(new CProxySettingsDialog);
    } else if (call != "install" && call != "install silent") {
        dialog.reset(call == "no response" ? static_cast<CDialogEx*>(new CNoResponseDialog)
                                           : new CInstalledDialog);
    }
    theApp.m_bSilent = call == "install silent";
    theApp.m_bDesktopIcon = theApp.m_bStartWithWindows = theApp.m_bQuickLaunchIcon = 1;
    int32_t result = 0;
    bool ran = RunScripted([&] { result = dialog ? dialog->DoModal() : theApp.RunInstallDialog(); }, steps);
    theApp.m_bSilent = 0;
    std::string outcome = (ran ? "" : "steps left, ") + notes;
    if (dialog)
        return outcome + std::to_string(result) + (call == "proxy settings" ? StoredProxies() : "");
    return outcome + (result ? "goes on " : "stops ") + std::to_string(theApp.m_bDesktopIcon) +
           std::to_string(theApp.m_bStartWithWindows) + std::to_string(theApp.m_bQuickLaunchIcon);
}

}  // namespace

TEST(InstallerDialogs, EachQuestionEndsAsItsStepsSay)
{
    std::vector<DataRow> rows = ReadDataRows("dialogs/questions.txt");
    ASSERT_FALSE(rows.empty());
    for (const DataRow& row : rows) EXPECT_EQ(Outcome(row[0], row[1]), row[2]) << row[0] << ": " << row[1];
}
