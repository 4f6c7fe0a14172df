#include "ui/proxy_settings_dialog.h"

#include "net/proxy_settings.h"

#include <cstdio>

namespace {

enum : UINT {
    kUseHttpBox = 1064,
    kUseSocksBox = 1065,
    kHttpHostBox = 1066,
    kHttpPortBox = 1067,
    kHttpUserBox = 1068,
    kHttpPasswordBox = 1069,
    kSocksHostBox = 1070,
    kSocksPortBox = 1071,
    kSocksUserBox = 1072,
    kSocksPasswordBox = 1073,
    kSocks4Button = 1074,
    kSocks5Button = 1075,
    kHttpHostLabel = 1077,
    kHttpPortLabel = 1078,
    kHttpUserLabel = 1079,
    kHttpPasswordLabel = 1080,
    kSocksHostLabel = 1081,
    kSocksPortLabel = 1082,
    kSocksUserLabel = 1083,
    kSocksPasswordLabel = 1084,
};

// The settings hold this many characters per text; the boxes take no more,
// so nothing the user typed is cut off unseen.
const int kTextLimit = static_cast<int>(ProxySettings::kTextCapacity) - 1;

void Enable(CWnd& control, bool enable) { EnableWindow(control.m_hWnd, enable ? TRUE : FALSE); }

bool IsChecked(const CButton& button) { return button.GetCheck() == BST_CHECKED; }

// A port of 0 leaves the box as it is (empty when the dialog opens).
void ShowPort(CEdit& box, uint16_t port)
{
    if (port == 0)
        return;
    char text[8];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(port));
    box.SetWindowText(text);
}

// The box's number; 0 when it holds none, and only the low 16 bits of a
// larger one.
uint16_t ReadPort(const CEdit& box)
{
    char text[ProxySettings::kTextCapacity] = "";
    box.GetWindowText(text, sizeof text);
    unsigned value = 0;
    if (std::sscanf(text, "%u", &value) != 1)
        value = 0;
    return static_cast<uint16_t>(value & 0xFFFFu);
}

struct TextOfBox {
    explicit TextOfBox(const CEdit& box) { box.GetWindowText(text, sizeof text); }
    char text[ProxySettings::kTextCapacity] = "";
};

}  // namespace

const AFX_MSGMAP_ENTRY CProxySettingsDialog::messageEntries[] = {
    {WM_COMMAND, BN_CLICKED, kUseHttpBox, AFX_HANDLER(&CProxySettingsDialog::OnUseHttp)},
    {WM_COMMAND, BN_CLICKED, kUseSocksBox, AFX_HANDLER(&CProxySettingsDialog::OnUseSocks)},
    {WM_COMMAND, BN_CLICKED, kSocks4Button, AFX_HANDLER(&CProxySettingsDialog::OnSocks4)},
    {WM_COMMAND, BN_CLICKED, kSocks5Button, AFX_HANDLER(&CProxySettingsDialog::OnSocks5)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CProxySettingsDialog::messageMap = {&CDialogEx::messageMap,
                                                     CProxySettingsDialog::messageEntries};

const AFX_MSGMAP* CProxySettingsDialog::GetMessageMap() const { return &messageMap; }

CProxySettingsDialog::CProxySettingsDialog() : CDialogEx(kTemplateId), settings(nullptr) {}

void CProxySettingsDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, kUseHttpBox, useHttp);
    DDX_Control(dx, kHttpHostLabel, httpHostLabel);
    DDX_Control(dx, kHttpHostBox, httpHost);
    DDX_Control(dx, kHttpPortLabel, httpPortLabel);
    DDX_Control(dx, kHttpPortBox, httpPort);
    DDX_Control(dx, kHttpUserLabel, httpUserLabel);
    DDX_Control(dx, kHttpUserBox, httpUser);
    DDX_Control(dx, kHttpPasswordLabel, httpPasswordLabel);
    DDX_Control(dx, kHttpPasswordBox, httpPassword);
    DDX_Control(dx, kUseSocksBox, useSocks);
    DDX_Control(dx, kSocksHostLabel, socksHostLabel);
    DDX_Control(dx, kSocksHostBox, socksHost);
    DDX_Control(dx, kSocksPortLabel, socksPortLabel);
    DDX_Control(dx, kSocksPortBox, socksPort);
    DDX_Control(dx, kSocksUserLabel, socksUserLabel);
    DDX_Control(dx, kSocksUserBox, socksUser);
    DDX_Control(dx, kSocksPasswordLabel, socksPasswordLabel);
    DDX_Control(dx, kSocksPasswordBox, socksPassword);
    DDX_Control(dx, kSocks4Button, socks4);
    DDX_Control(dx, kSocks5Button, socks5);
}

BOOL CProxySettingsDialog::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    settings = &ProxySettings::Instance();
    CEdit* const boxes[] = {&httpHost,  &httpPort,  &httpUser,  &httpPassword,
                            &socksHost, &socksPort, &socksUser, &socksPassword};
    for (CEdit* box : boxes) box->LimitText(kTextLimit);
    FillControls();
    return TRUE;
}

void CProxySettingsDialog::FillControls()
{
    useHttp.SetCheck(settings->HttpEnabled() ? BST_CHECKED : BST_UNCHECKED);
    httpHost.SetWindowText(settings->HttpHost());
    ShowPort(httpPort, settings->HttpPort());
    httpUser.SetWindowText(settings->HttpUser());
    httpPassword.SetWindowText(settings->HttpPassword());
    useSocks.SetCheck(settings->SocksEnabled() ? BST_CHECKED : BST_UNCHECKED);
    socksHost.SetWindowText(settings->SocksHost());
    ShowPort(socksPort, settings->SocksPort());
    socksUser.SetWindowText(settings->SocksUser());
    socksPassword.SetWindowText(settings->SocksPassword());
    bool version5 = settings->SocksVersion() == 5;
    socks5.SetCheck(version5 ? BST_CHECKED : BST_UNCHECKED);
    socks4.SetCheck(version5 ? BST_UNCHECKED : BST_CHECKED);
    UpdateHttpControls();
    UpdateSocksControls();
}

void CProxySettingsDialog::UpdateHttpControls()
{
    bool on = IsChecked(useHttp);
    CWnd* const controls[] = {&httpHost,      &httpPort,      &httpUser,      &httpPassword,
                              &httpHostLabel, &httpPortLabel, &httpUserLabel, &httpPasswordLabel};
    for (CWnd* control : controls) Enable(*control, on);
    if (on)
        SetFocus(httpHost.m_hWnd);
}

void CProxySettingsDialog::UpdateSocksControls()
{
    bool on = IsChecked(useSocks);
    CWnd* const controls[] = {&socksHost, &socksPort, &socksHostLabel, &socksPortLabel, &socks4, &socks5};
    for (CWnd* control : controls) Enable(*control, on);
    if (on)
        SetFocus(socksHost.m_hWnd);
    EnableSocksLogin(on && IsChecked(socks5));
}

void CProxySettingsDialog::EnableSocksLogin(bool enable)
{
    CWnd* const controls[] = {&socksUser, &socksPassword, &socksUserLabel, &socksPasswordLabel};
    for (CWnd* control : controls) Enable(*control, enable);
}

void CProxySettingsDialog::ApplySettings()
{
    settings->SetHttpEnabled(IsChecked(useHttp));
    settings->SetHttpHost(TextOfBox(httpHost).text);
    settings->SetHttpPort(ReadPort(httpPort));
    settings->SetHttpUser(TextOfBox(httpUser).text);
    settings->SetHttpPassword(TextOfBox(httpPassword).text);
    settings->SetSocksEnabled(IsChecked(useSocks));
    settings->SetSocksHost(TextOfBox(socksHost).text);
    settings->SetSocksPort(ReadPort(socksPort));
    settings->SetSocksUser(TextOfBox(socksUser).text);
    settings->SetSocksPassword(TextOfBox(socksPassword).text);
    settings->SetSocksVersion(IsChecked(socks4) ? 4 : 5);
    settings->DisableIncomplete();
    settings->Save();
    FillControls();
}

void CProxySettingsDialog::OnOK()
{
    UpdateData(TRUE);
    ApplySettings();
    CDialog::OnOK();
}

LRESULT CProxySettingsDialog::OnUseHttp(WPARAM, LPARAM)
{
    UpdateHttpControls();
    return 0;
}

LRESULT CProxySettingsDialog::OnUseSocks(WPARAM, LPARAM)
{
    UpdateSocksControls();
    return 0;
}

LRESULT CProxySettingsDialog::OnSocks4(WPARAM, LPARAM)
{
    EnableSocksLogin(false);
    return 0;
}

LRESULT CProxySettingsDialog::OnSocks5(WPARAM, LPARAM)
{
    EnableSocksLogin(true);
    SetFocus(socksUser.m_hWnd);
    return 0;
}
