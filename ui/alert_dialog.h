// CAlertDialog: the alert of template 151, a bold title line over a message
// and one OK button; the caption shows the title too.
#pragma once

#include "afx/controls.h"
#include "ui/dialog_ex.h"

// Flashes the window's taskbar button until the window comes to the
// foreground (system rate). Nothing when the object has no window.
// The window's thread.
void FlashUntilForeground(CWnd* window);

// Thread: as CDialogEx; the alert may run on the update worker.
class CAlertDialog : public CDialogEx {
public:
    static const UINT kTemplateId = 151;

    CAlertDialog();

    // Copies a text into `message` or `title`, cut to fit (null: empty).
    void SetMessage(const char* text);
    void SetTitle(const char* text);

    CStatic titleLabel;
    char message[2048];
    char title[256];

protected:
    void DoDataExchange(CDataExchange* dx) override;
    // Fills the controls, draws the title line bold, flashes the taskbar
    // button and sets the caption to the title; the focus stays on OK.
    BOOL OnInitDialog() override;
};
