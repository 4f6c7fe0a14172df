// CInstallDialog: "Quorvalent - Install", which asks for the three shortcut
// choices. Cancelling (the Cancel button, Escape or the close box) is
// confirmed first with the Cancel dialog.
#pragma once

#include "afx/controls.h"
#include "ui/dialog_ex.h"
#include "ui/large_icon.h"

#include <cstdint>

// Results: IDOK (1) for Install, with the three check values holding the
// user's choices; IDCANCEL (2) when the user confirmed the cancellation; -1
// when it could not be shown. User-interface thread.
class CInstallDialog : public CDialogEx {
public:
    static const UINT kTemplateId = 100;

    CInstallDialog();

    CStatic titleLabel;
    // The 128-pixel application picture (blank when the picture cannot be
    // loaded).
    CLargeIcon icon;
    // Check box states (0 clear, 1 checked), loaded into and saved from the
    // boxes by the data exchange.
    int32_t quickLaunchIcon;
    int32_t desktopIcon;
    int32_t startWithWindows;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    // Ends with IDCANCEL only when the Cancel dialog answers Yes; otherwise
    // the dialog stays open with its boxes as they were.
    void OnCancel() override;
};
