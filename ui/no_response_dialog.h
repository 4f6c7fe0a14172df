// CNoResponseDialog: "No Response From Quorvalent Server", shown when an
// attempt to reach the update service or to install its package failed. Its
// Proxies... button opens the Proxy Settings dialog and leaves this one open.
#pragma once

#include "afx/controls.h"
#include "ui/dialog_ex.h"

// Results: IDOK (1) for Connect; IDCANCEL (2) for Exit, Escape or the close
// box; -1 when it could not be shown. User-interface thread.
class CNoResponseDialog : public CDialogEx {
public:
    static const UINT kTemplateId = 163;

    CNoResponseDialog();

    CStatic promptLabel;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP messageMap;

    // Runs the Proxy Settings dialog; whatever it answers, this dialog stays.
    LRESULT OnProxies(WPARAM wParam, LPARAM lParam);

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];
};
