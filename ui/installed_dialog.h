// CInstalledDialog: "Quorvalent - Already Installed", which offers to launch
// or to remove the installation that was found.
#pragma once

#include "afx/controls.h"
#include "ui/dialog_ex.h"
#include "ui/large_icon.h"

// Results: IDOK (1) for Launch, kRemoveResult (3) for Remove, IDCANCEL (2)
// for Cancel, Escape or the close box; -1 when it could not be shown.
// User-interface thread.
class CInstalledDialog : public CDialogEx {
public:
    static const UINT kTemplateId = 165;
    static const int kRemoveResult = 3;

    CInstalledDialog();

    // The 128-pixel application picture (blank when the picture cannot be
    // loaded).
    CLargeIcon icon;
    CStatic titleLabel;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP messageMap;

    LRESULT OnRemove(WPARAM wParam, LPARAM lParam);

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];
};
