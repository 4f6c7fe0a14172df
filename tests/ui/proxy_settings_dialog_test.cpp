#include "tests/support/gtest.h"

#include "base/folders.h"
#include "net/proxies_record.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/test_env.h"
#include "tests/support/window_script.h"
#include "ui/proxy_settings_dialog.h"

namespace {

std::string Stored()
{
    const ProxySettings& s = ProxySettings::Instance();
    return std::string(s.HttpEnabled() ? "http " : "") + s.HttpHost() + (s.SocksEnabled() ? " socks " : " ") +
           s.SocksHost() + ":" + std::to_string(s.SocksPort()) + " v" + std::to_string(s.SocksVersion()) +
           " " + s.SocksUser();
}

}  // namespace

TEST(ProxySettingsDialog, OkStoresWhatTheBoxesSayAndCancelNothing)
{
    char record[kFolderPathSize];
    GetPrefsFolder(record);
    ReplaceFileName(record, sizeof record, kProxiesFileName);
    const struct {
        std::vector<int> clicked;
        std::vector<std::pair<int, std::string>> typed;
        int button;
        std::string stored;
    } cases[] = {
        {{}, {}, IDOK, " :0 v4 "},  // no change, no file written
        // Texts stop at 63 characters, a port keeps its low 16 bits, a proxy without a port is switched off.
        {{1064, 1065, 1075},
         {{1066, std::string(80, 'h')}, {1070, "s"}, {1071, "70000"}, {1072, "user"}},
         IDOK,
         std::string(63, 'h') + " socks s:4464 v5 user"},
        {{1064, 1065}, {{1066, "elsewhere"}}, IDCANCEL, " socks :1080 v5 user"},
    };
    for (const auto& c : cases) {
        // Saved before: no proxy and no file, or for Cancel a SOCKS 5 proxy with a login.
        bool socks = c.button == IDCANCEL;
        UseHttpProxy("", 0, "", "");
        UseSocksProxy(socks ? 5 : 4, "", socks ? 1080 : 0, socks ? "user" : "", "");
        ProxySettings::Instance().SetHttpEnabled(false);
        ProxySettings::Instance().SetSocksEnabled(socks);
        ProxySettings::Instance().Save();
        if (!socks)
            DeleteFileA(record);
        std::string before = ReadWholeFile(record).bytes;
        auto edit = [&](HWND d) {
            for (int id : c.clicked) ClickButton(d, id);
            for (const auto& typed : c.typed)  // as a person types, so that the boxes' limits hold
                SendDlgItemMessageA(d, typed.first, EM_REPLACESEL, TRUE, LPARAM(typed.second.c_str()));
            ClickButton(d, c.button);
        };
        CProxySettingsDialog dialog;
        EXPECT_EQ(RunScripted(dialog, {{"Proxy Settings", edit}}), c.button) << c.stored;
        EXPECT_EQ(Stored(), c.stored);
        EXPECT_FALSE(ProxySettings::Instance().IsDirty()) << c.stored;
        EXPECT_EQ(ReadWholeFile(record).bytes == before, c.button == IDCANCEL || c.clicked.empty())
            << c.stored;
    }
}
