#include "ui/no_response_dialog.h"

#include "ui/proxy_settings_dialog.h"

namespace {
const int kPromptControl = 1006;
const UINT kProxiesButton = 3;
}  // namespace

const AFX_MSGMAP_ENTRY CNoResponseDialog::messageEntries[] = {
    {WM_COMMAND, BN_CLICKED, kProxiesButton, AFX_HANDLER(&CNoResponseDialog::OnProxies)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CNoResponseDialog::messageMap = {&CDialogEx::messageMap, CNoResponseDialog::messageEntries};

const AFX_MSGMAP* CNoResponseDialog::GetMessageMap() const { return &messageMap; }

CNoResponseDialog::CNoResponseDialog() : CDialogEx(kTemplateId, nullptr, kPromptControl), promptLabel() {}

void CNoResponseDialog::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, kPromptControl, promptLabel); }

LRESULT CNoResponseDialog::OnProxies(WPARAM, LPARAM)
{
    CProxySettingsDialog proxies;
    proxies.DoModal();
    return 0;
}
