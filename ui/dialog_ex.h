// CDialogEx: the base of every dialog of the installer. It runs modally from
// its resource template in the system dialog font ("MS Shell Dlg 2" 8), as
// an unowned top-level window that disables no other window: its modality
// comes from the modal window layer, which it joins at construction. It
// never resizes through its borders.
#pragma once

#include "afx/dialog.h"
#include "ui/window_layer.h"

#include <cstdint>

// Thread: constructed, run and destroyed on one thread, which runs the
// dialog's own modal loop (the user-interface thread, or the update worker
// for an alert).
class CDialogEx : public CDialog {
public:
    // `parent` is kept for the framework but plays no part in the run. The
    // control `boldLabelId` (none for 0) gets DialogBoldFont once the
    // controls are filled.
    explicit CDialogEx(UINT templateId, CWnd* parent = nullptr, int boldLabelId = 0);
    ~CDialogEx() override;

    // 1 for OK, 2 for Cancel, Escape or the close box, or the code that the
    // dialog ended itself with; -1 when the template is missing or the window
    // or one of its handlers fails (nothing is left on screen then).
    int32_t DoModal() override;

    WindowLayer layer;
    uint8_t resizeMode;

protected:
    // The framework's initialisation, then the bold label's font.
    BOOL OnInitDialog() override;

    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP messageMap;

    // Activation, z-order, mouse activation and the taskbar button menu.
    LRESULT OnLayerMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];

    int boldLabelId_;
};
