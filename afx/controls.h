// The standard controls that the dialogs and the progress window bind to:
// static texts, buttons (push buttons, check boxes and radio buttons) and
// edit boxes. Each is a CWnd over the system's own control class.
// Thread: the thread that owns the control's window.
#pragma once

#include "afx/wnd.h"

class CStatic : public CWnd {
public:
    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCStatic;

    // Creates a child window of the system's static class.
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
};

class CButton : public CWnd {
public:
    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCButton;

    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int GetCheck() const;
    void SetCheck(int state);
};

class CEdit : public CWnd {
public:
    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCEdit;

    // The most characters the user may type (0: the system's limit).
    void LimitText(int count);
};
