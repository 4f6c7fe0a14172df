#include "ui/alert_dialog.h"

namespace {
const int kTitleControl = 1008;
const int kMessageControl = 1006;
}  // namespace

void FlashUntilForeground(CWnd* window)
{
    if (!window || !window->m_hWnd || !IsWindow(window->m_hWnd))
        return;
    FLASHWINFO flash = {};
    flash.cbSize = sizeof flash;
    flash.hwnd = window->m_hWnd;
    flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
    flash.uCount = 0;
    flash.dwTimeout = 0;
    FlashWindowEx(&flash);
}

CAlertDialog::CAlertDialog()
    : CDialogEx(kTemplateId, nullptr, kTitleControl), titleLabel(), message(), title()
{
}

void CAlertDialog::SetMessage(const char* text) { lstrcpynA(message, text ? text : "", sizeof message); }

void CAlertDialog::SetTitle(const char* text) { lstrcpynA(title, text ? text : "", sizeof title); }

void CAlertDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, kTitleControl, titleLabel);
    DDX_Text(dx, kMessageControl, message);
    DDX_Text(dx, kTitleControl, title);
}

BOOL CAlertDialog::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    FlashUntilForeground(this);
    SetWindowText(title);
    return TRUE;
}
