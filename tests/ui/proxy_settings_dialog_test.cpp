#include "tests/support/gtest.h"

#include "base/stdio_bridge.h"
#include "net/proxies_record.h"
#include "net/proxy_settings.h"
#include "base/folders.h"
#include "tests/app/installation_probe.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/window_script.h"
#include "ui/proxy_settings_dialog.h"

#include <functional>
#include <string>
#include <vector>

namespace {

const char kProxies[] = "Proxy Settings";

std::string ProxiesPath()
{
    char path[kFolderPathSize];
    GetPrefsFolder(path);
    ReplaceFileName(path, sizeof path, kProxiesFileName);
    return path;
}

// The record's bytes; empty when there is no file.
std::string RecordBytes() { return probe::ReadAndClose(OpenStdioFile(ProxiesPath().c_str(), "rb")); }

// Back to the defaults, with no file left behind.
void ResetSettings()
{
    ProxySettings& settings = ProxySettings::Instance();
    UseNoProxy();
    for (auto set : {&ProxySettings::SetHttpHost, &ProxySettings::SetHttpUser, &ProxySettings::SetHttpPassword,
                     &ProxySettings::SetSocksHost, &ProxySettings::SetSocksUser, &ProxySettings::SetSocksPassword})
        (settings.*set)("");
    settings.SetHttpPort(0);
    settings.SetSocksPort(0);
    settings.SetSocksVersion(4);
    settings.Save();
    DeleteFileA(ProxiesPath().c_str());
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void Type(HWND dialog, int id, const std::string& text)
{
    HWND box = GetDlgItem(dialog, id);
    SendMessageA(box, EM_SETSEL, 0, -1);
    SendMessageA(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

int32_t RunWith(std::function<void(HWND)> act)
{
    CProxySettingsDialog dialog;
    DialogScript script({{kProxies, std::move(act)}});
    int32_t result = dialog.DoModal();
    bool finished = script.Finished();
    DialogScript::TakeQuit();
    return finished ? result : -2;
}

const int kHttpControls[] = {1066, 1067, 1068, 1069, 1077, 1078, 1079, 1080};
const int kSocksAddress[] = {1070, 1071, 1081, 1082, 1074, 1075};
const int kSocksLogin[] = {1072, 1073, 1083, 1084};

}  // namespace

TEST(ProxySettingsDialog, EnablingRulesAndFocusFollowTheBoxesAndTheVersion)
{
    ResetSettings();
    struct Row {
        const char* click;
        int id;  // 0: nothing clicked, the dialog as it opened
        bool http, socksAddress, socksLogin;
        int focus;  // 0: not looked at
    };
    const Row rows[] = {
        {"as opened", 0, false, false, false, 0},
        {"Use HTTP Proxy", 1064, true, false, false, 1066},
        {"Use SOCKS Proxy", 1065, true, true, false, 1070},
        {"SOCKS 5", 1075, true, true, true, 1072},
        {"Use SOCKS Proxy off", 1065, true, false, false, 0},
        {"Use SOCKS Proxy on again", 1065, true, true, true, 1070},
        {"SOCKS 4", 1074, true, true, false, 0},
        {"Use HTTP Proxy off", 1064, false, true, false, 0},
    };
    int32_t result = RunWith([&](HWND d) {
        EXPECT_EQ(IsDlgButtonChecked(d, 1074), BST_CHECKED);
        for (int id : {1066, 1067, 1068, 1069, 1070, 1071, 1072, 1073})
            EXPECT_EQ(WindowTextOf(GetDlgItem(d, id)), "") << id;
        for (const Row& row : rows) {
            if (row.id)
                ClickButton(d, row.id);
            for (int id : kHttpControls)
                EXPECT_EQ(Enabled(d, id), row.http) << row.click << ": " << id;
            for (int id : kSocksAddress)
                EXPECT_EQ(Enabled(d, id), row.socksAddress) << row.click << ": " << id;
            for (int id : kSocksLogin)
                EXPECT_EQ(Enabled(d, id), row.socksLogin) << row.click << ": " << id;
            if (row.focus) {
                EXPECT_EQ(GetFocus(), GetDlgItem(d, row.focus)) << row.click;
            }
        }
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST(ProxySettingsDialog, OkStoresWhatTheBoxesSayAndCancelNothing)
{
    const std::string longHost(80, 'h');
    struct Case {
        const char* name;
        std::function<void()> before;  // settings saved before the dialog opens
        std::function<void(HWND)> edit;
        int button;
        bool fileAfter;
        bool httpEnabled;
        std::string httpHost;
        bool socksEnabled;
        uint16_t socksPort;
        uint8_t socksVersion;
        std::string socksUser;
    };
    const Case cases[] = {
        {"OK without a change writes no file", nullptr, nullptr, IDOK, false, false, "", false, 0, 4, ""},
        {"a host without a port is stored switched off", nullptr,
         [](HWND d) {
             ClickButton(d, 1064);
             Type(d, 1066, "proxy.quorvalent.test");
         },
         IDOK, true, false, "proxy.quorvalent.test", false, 0, 4, ""},
        {"texts stop at 63 characters", nullptr,
         [&](HWND d) {
             ClickButton(d, 1064);
             Type(d, 1066, longHost);
             Type(d, 1067, "3128");
             EXPECT_EQ(WindowTextOf(GetDlgItem(d, 1066)).size(), 63u);
         },
         IDOK, true, true, std::string(63, 'h'), false, 0, 4, ""},
        {"SOCKS 5 with a login, a port above 65535 keeps its low 16 bits", nullptr,
         [](HWND d) {
             ClickButton(d, 1065);
             Type(d, 1070, "socks.quorvalent.test");
             Type(d, 1071, "70000");
             ClickButton(d, 1075);
             Type(d, 1072, "user");
         },
         IDOK, true, false, "", true, 70000 & 0xFFFF, 5, "user"},
        {"a port that is no number switches the proxy off", nullptr,
         [](HWND d) {
             ClickButton(d, 1065);
             Type(d, 1070, "socks.quorvalent.test");
             Type(d, 1071, "port");
         },
         IDOK, true, false, "", false, 0, 4, ""},
        {"Cancel after edits leaves settings and file as they were",
         [] {
             UseSocksProxy(5, "socks.quorvalent.test", 1080, "user", "secret");
             ProxySettings::Instance().Save();
         },
         [](HWND d) {
             EXPECT_EQ(WindowTextOf(GetDlgItem(d, 1071)), "1080");
             EXPECT_EQ(IsDlgButtonChecked(d, 1075), BST_CHECKED);
             ClickButton(d, 1065);
             ClickButton(d, 1064);
             Type(d, 1066, "elsewhere");
             Type(d, 1072, "other");
         },
         IDCANCEL, true, false, "", true, 1080, 5, "user"},
    };
    for (const Case& c : cases) {
        ResetSettings();
        if (c.before)
            c.before();
        std::string bytesBefore = RecordBytes();
        int32_t result = RunWith([&](HWND d) {
            if (c.edit)
                c.edit(d);
            ClickButton(d, c.button);
        });
        EXPECT_EQ(result, c.button) << c.name;
        const ProxySettings& settings = ProxySettings::Instance();
        EXPECT_FALSE(settings.IsDirty()) << c.name;
        EXPECT_EQ(!RecordBytes().empty(), c.fileAfter) << c.name;
        if (c.button == IDCANCEL) {
            EXPECT_EQ(RecordBytes(), bytesBefore) << c.name;
        }
        EXPECT_EQ(settings.HttpEnabled(), c.httpEnabled) << c.name;
        EXPECT_EQ(settings.HttpHost(), c.httpHost) << c.name;
        EXPECT_EQ(settings.SocksEnabled(), c.socksEnabled) << c.name;
        EXPECT_EQ(settings.SocksPort(), c.socksPort) << c.name;
        EXPECT_EQ(settings.SocksVersion(), c.socksVersion) << c.name;
        EXPECT_EQ(settings.SocksUser(), c.socksUser) << c.name;
    }
}
