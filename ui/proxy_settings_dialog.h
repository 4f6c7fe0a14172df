// CProxySettingsDialog: "Proxy Settings", where the user turns the HTTP and
// SOCKS proxies on or off and edits their host, port, login and the SOCKS
// version. OK stores everything in ProxySettings and saves the "Proxies"
// record; Cancel changes nothing.
#pragma once

#include "afx/controls.h"
#include "ui/dialog_ex.h"

class ProxySettings;

// Results: IDOK or IDCANCEL (2); -1 when it could not be shown. Its caller
// does not look at it. User-interface thread, while no update worker runs.
class CProxySettingsDialog : public CDialogEx {
public:
    static const UINT kTemplateId = 164;

    CProxySettingsDialog();

    CButton useHttp;
    CStatic httpHostLabel;
    CEdit httpHost;
    CStatic httpPortLabel;
    CEdit httpPort;
    CStatic httpUserLabel;
    CEdit httpUser;
    CStatic httpPasswordLabel;
    CEdit httpPassword;
    CButton useSocks;
    CStatic socksHostLabel;
    CEdit socksHost;
    CStatic socksPortLabel;
    CEdit socksPort;
    CStatic socksUserLabel;
    CEdit socksUser;
    CStatic socksPasswordLabel;
    CEdit socksPassword;
    CButton socks4;
    CButton socks5;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    // Binds the controls, limits the boxes to what the settings hold, and
    // shows the stored settings.
    BOOL OnInitDialog() override;
    // Stores the controls' values, turns off incomplete proxies, saves, and
    // closes the dialog.
    void OnOK() override;
    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP messageMap;

    LRESULT OnUseHttp(WPARAM wParam, LPARAM lParam);
    LRESULT OnUseSocks(WPARAM wParam, LPARAM lParam);
    LRESULT OnSocks4(WPARAM wParam, LPARAM lParam);
    LRESULT OnSocks5(WPARAM wParam, LPARAM lParam);

private:
    // The settings into the controls; then the enabling rules.
    void FillControls();
    // "Use HTTP Proxy" enables the HTTP boxes and labels; checked, it moves
    // the focus to the HTTP host.
    void UpdateHttpControls();
    // "Use SOCKS Proxy" enables the SOCKS host, port and version; checked, it
    // moves the focus to the SOCKS host. The login follows EnableSocksLogin.
    void UpdateSocksControls();
    // The SOCKS user name and password, which only SOCKS 5 uses.
    void EnableSocksLogin(bool enable);
    // The controls into the settings, in the settings' order, then
    // DisableIncomplete, Save and FillControls again.
    void ApplySettings();

    static const AFX_MSGMAP_ENTRY messageEntries[];
    ProxySettings* settings;
};
