// CDialog: a dialog created from a template and run modally by the
// framework's own loop, with its data exchange (DDX) between members and
// controls.
#pragma once

#include "afx/wnd.h"

#include <cstddef>
#include <cstdint>

// One data exchange pass: from the controls into the members when saving,
// the other way when loading. A helper that cannot find its control fails
// the pass.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate);
    // The control `id` of the dialog, or null (and the pass failed).
    HWND PrepareCtrl(int id);
    void Fail() { m_bFailed = TRUE; }

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    BOOL m_bFailed;
};

// Binds `control` to the dialog's control `id` by subclassing (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// The control's text and a buffer of `size` bytes; saving cuts it to fit.
void DDX_Text(CDataExchange* dx, int id, char* buffer, size_t size);
template <size_t N>
void DDX_Text(CDataExchange* dx, int id, char (&buffer)[N])
{
    DDX_Text(dx, id, buffer, N);
}
// A check box's state (0 clear, 1 checked, 2 indeterminate) and an int.
void DDX_Check(CDataExchange* dx, int id, int& value);

// Thread: created, run and destroyed on one thread, which runs its loop.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCDialog;

    // Runs the dialog from its template owned by the parent (else the
    // application's main window), which is disabled meanwhile. Returns the
    // code given to EndDialog, or -1 when the template or window fails.
    virtual int32_t DoModal();
    // Loads the controls from the members (UpdateData(FALSE)); TRUE lets the
    // system give the focus to the first tab stop.
    virtual BOOL OnInitDialog();
    // OK: saves the controls into the members and ends with IDOK, unless
    // the data exchange fails.
    virtual void OnOK();
    // Cancel, Escape and the close box: ends with IDCANCEL.
    virtual void OnCancel();
    // Ends the modal run with `result`; the window goes when the loop ends.
    void EndDialog(int result);
    // Runs DoDataExchange in the direction asked; FALSE when it failed.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // Lets the dialog manager handle keys (Tab, Enter, Escape) for the
    // dialog and its controls.
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    virtual void DoDataExchange(CDataExchange* dx);
    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP messageMap;

    // Creates the dialog from `dialogTemplate` with `owner` (may be none),
    // runs its modal loop, then hides and destroys the window. -1 when
    // creation or a handler fails.
    int32_t RunModalIndirect(const DLGTEMPLATE* dialogTemplate, HWND owner);

    const char* m_lpszTemplateName;
    const DLGTEMPLATE* m_lpDialogTemplate;
    CWnd* m_pParentWnd;

private:
    // The running template leaves the placement to us (centred at WM_INITDIALOG).
    bool m_bAutoCenter;
    static const AFX_MSGMAP_ENTRY messageEntries[];
    LRESULT HandleOK(WPARAM, LPARAM);
    LRESULT HandleCancel(WPARAM, LPARAM);
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

// The dialog procedure of every CDialog: WM_INITDIALOG to OnInitDialog.
INT_PTR CALLBACK AfxDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
