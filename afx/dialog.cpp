#include "afx/dialog.h"

#include "afx/dialog_template.h"

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog), m_bFailed(FALSE)
{
}

HWND CDataExchange::PrepareCtrl(int id)
{
    HWND control = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, id) : nullptr;
    if (!control)
        Fail();
    return control;
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    HWND window = dx->PrepareCtrl(id);
    if (window && !control.SubclassWindow(window))
        dx->Fail();
}

void DDX_Text(CDataExchange* dx, int id, char* buffer, size_t size)
{
    HWND control = dx->PrepareCtrl(id);
    if (!control || !buffer || size == 0)
        return;
    if (dx->m_bSaveAndValidate) {
        int limit = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
        buffer[0] = '\0';
        ::GetWindowTextA(control, buffer, limit);
    } else {
        ::SetWindowTextA(control, buffer);
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (!control)
        return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

const CRuntimeClass CDialog::classCDialog = {"CDialog", &CWnd::classCWnd};

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_lpszTemplateName(MAKEINTRESOURCEA(templateId)),
      m_lpDialogTemplate(nullptr),
      m_pParentWnd(parent),
      m_bAutoCenter(false)
{
}

CDialog::~CDialog() = default;

const CRuntimeClass* CDialog::GetRuntimeClass() const { return &classCDialog; }

const AFX_MSGMAP_ENTRY CDialog::messageEntries[] = {
    {WM_COMMAND, BN_CLICKED, IDOK, AFX_HANDLER(&CDialog::HandleOK)},
    {WM_COMMAND, BN_CLICKED, IDCANCEL, AFX_HANDLER(&CDialog::HandleCancel)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CDialog::messageMap = {&CWnd::messageMap, CDialog::messageEntries};

const AFX_MSGMAP* CDialog::GetMessageMap() const { return &messageMap; }

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::HandleOK(WPARAM, LPARAM)
{
    OnOK();
    return 0;
}

LRESULT CDialog::HandleCancel(WPARAM, LPARAM)
{
    OnCancel();
    return 0;
}

void CDialog::EndDialog(int result)
{
    EndModalLoop(result);
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (!m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return FALSE;
    if (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    return IsDialogMessageA(m_hWnd, msg);
}

int32_t CDialog::RunModalIndirect(const DLGTEMPLATE* dialogTemplate, HWND owner)
{
    if (!dialogTemplate || m_hWnd)
        return -1;
    AfxTakeHandlerFailure();  // a failure from before this run is not ours
    BeginModalState();
    m_bAutoCenter = AfxTemplateAsksCentring(dialogTemplate);
    HWND window;
    {
        AfxHookWindowCreate hook(this);
        window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, owner, AfxDlgProc, 0);
    }
    if (!window || AfxTakeHandlerFailure()) {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
        return -1;
    }
    DWORD flags = MLF_SHOWONIDLE;
    if (GetWindowLongA(m_hWnd, GWL_STYLE) & DS_NOIDLEMSG)
        flags |= MLF_NOIDLEMSG;
    int32_t result = RunModalLoop(flags);
    if (m_hWnd) {
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
        ::DestroyWindow(m_hWnd);
    }
    return result;
}

int32_t CDialog::DoModal()
{
    const DLGTEMPLATE* dialogTemplate = m_lpDialogTemplate;
    if (m_lpszTemplateName)
        dialogTemplate = AfxLoadDialogResource(nullptr, m_lpszTemplateName, nullptr);
    if (!dialogTemplate)
        return -1;
    CWnd* ownerObject = m_pParentWnd;
    if (!ownerObject && AfxGetThread())
        ownerObject = AfxGetThread()->m_pMainWnd;
    HWND owner = ownerObject ? ownerObject->m_hWnd : nullptr;
    bool disabledOwner = owner && IsWindowEnabled(owner) && !EnableWindow(owner, FALSE);
    int32_t result = RunModalIndirect(dialogTemplate, owner);
    if (disabledOwner)
        EnableWindow(owner, TRUE);
    return result;
}

INT_PTR CALLBACK AfxDlgProc(HWND window, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* dialog = static_cast<CDialog*>(CWnd::FromHandlePermanent(window));
    if (!dialog)
        return TRUE;
    // Placed before the dialog's own initialisation, which may move it again.
    if (dialog->m_bAutoCenter)
        dialog->CenterWindow();
    try {
        return dialog->OnInitDialog();
    } catch (...) {
        // The system's dialog code cannot be unwound; the run ends with -1.
        AfxNoteHandlerFailure();
        return FALSE;
    }
}
