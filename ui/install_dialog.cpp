#include "ui/install_dialog.h"

#include "ui/cancel_dialog.h"

namespace {
const int kTitleControl = 1008;
const int kDesktopIconBox = 1168;
const int kStartWithWindowsBox = 1169;
const int kQuickLaunchIconBox = 1170;
}  // namespace

CInstallDialog::CInstallDialog()
    : CDialogEx(kTemplateId, nullptr, kTitleControl),
      titleLabel(),
      icon(kAppIconListId, kAppIconIndex, kAppIconSize),
      quickLaunchIcon(0),
      desktopIcon(0),
      startWithWindows(0)
{
}

void CInstallDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, kTitleControl, titleLabel);
    DDX_Control(dx, kLargeIconControlId, icon);
    DDX_Check(dx, kQuickLaunchIconBox, quickLaunchIcon);
    DDX_Check(dx, kDesktopIconBox, desktopIcon);
    DDX_Check(dx, kStartWithWindowsBox, startWithWindows);
}

void CInstallDialog::OnCancel()
{
    CCancelDialog confirm;
    if (confirm.DoModal() == IDOK)
        EndDialog(IDCANCEL);
}
