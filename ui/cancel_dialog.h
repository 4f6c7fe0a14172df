// CCancelDialog: "Cancel Quorvalent Installation?", the confirmation that the
// Install dialog asks before it gives up. Its default button is No, so an
// accidental Enter does not abandon the installation.
#pragma once

#include "afx/controls.h"
#include "ui/dialog_ex.h"

// Results: IDOK (1) for Yes, leave; IDCANCEL (2) for No, Escape or the close
// box; -1 when it could not be shown. User-interface thread.
class CCancelDialog : public CDialogEx {
public:
    static const UINT kTemplateId = 140;

    CCancelDialog();

    CStatic titleLabel;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
