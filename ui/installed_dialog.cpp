#include "ui/installed_dialog.h"

namespace {
const int kTitleControl = 1008;
const UINT kRemoveButton = 3;
}  // namespace

const AFX_MSGMAP_ENTRY CInstalledDialog::messageEntries[] = {
    {WM_COMMAND, BN_CLICKED, kRemoveButton, AFX_HANDLER(&CInstalledDialog::OnRemove)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CInstalledDialog::messageMap = {&CDialogEx::messageMap, CInstalledDialog::messageEntries};

const AFX_MSGMAP* CInstalledDialog::GetMessageMap() const { return &messageMap; }

CInstalledDialog::CInstalledDialog()
    : CDialogEx(kTemplateId, nullptr, kTitleControl),
      icon(kAppIconListId, kAppIconIndex, kAppIconSize),
      titleLabel()
{
}

void CInstalledDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, kLargeIconControlId, icon);
    DDX_Control(dx, kTitleControl, titleLabel);
}

LRESULT CInstalledDialog::OnRemove(WPARAM, LPARAM)
{
    EndDialog(kRemoveResult);
    return 0;
}
