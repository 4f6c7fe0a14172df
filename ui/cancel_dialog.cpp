#include "ui/cancel_dialog.h"

#include "ui/dialog_font.h"

namespace {
const int kTitleControl = 1008;
}

CCancelDialog::CCancelDialog() : CDialogEx(kTemplateId), titleLabel() {}

void CCancelDialog::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, kTitleControl, titleLabel); }

BOOL CCancelDialog::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    titleLabel.SetFont(DialogBoldFont(), TRUE);
    return TRUE;
}
