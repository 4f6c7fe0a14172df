#include "ui/cancel_dialog.h"

namespace {
const int kTitleControl = 1008;
}

CCancelDialog::CCancelDialog() : CDialogEx(kTemplateId, nullptr, kTitleControl), titleLabel() {}

void CCancelDialog::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, kTitleControl, titleLabel); }
