#include "ui/dialog_ex.h"

#include "afx/dialog_template.h"
#include "ui/dialog_font.h"
#include "ui/sizing_hit_test.h"

namespace {
const LayerRules kDialogRules = {true, false, false};
}  // namespace

const AFX_MSGMAP_ENTRY CDialogEx::messageEntries[] = {
    {WM_ACTIVATE, 0, 0, AFX_HANDLER(&CDialogEx::OnLayerMessage)},
    {WM_WINDOWPOSCHANGING, 0, 0, AFX_HANDLER(&CDialogEx::OnLayerMessage)},
    {WM_MOUSEACTIVATE, 0, 0, AFX_HANDLER(&CDialogEx::OnLayerMessage)},
    {WM_NCHITTEST, 0, 0, AFX_HANDLER(&CDialogEx::OnNcHitTest)},
    {WM_TASKBAR_BUTTON_MENU, 0, 0, AFX_HANDLER(&CDialogEx::OnLayerMessage)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CDialogEx::messageMap = {&CDialog::messageMap, CDialogEx::messageEntries};

const AFX_MSGMAP* CDialogEx::GetMessageMap() const { return &messageMap; }

CDialogEx::CDialogEx(UINT templateId, CWnd* parent, int boldLabelId)
    : CDialog(templateId, parent), layer(), resizeMode(0), boldLabelId_(boldLabelId)
{
    layer.SetLevel(this, WindowLayer::kModalLevel);
}

CDialogEx::~CDialogEx() = default;

int32_t CDialogEx::DoModal()
{
    CDialogTemplate dialogTemplate;
    if (!m_lpszTemplateName || !dialogTemplate.Load(nullptr, m_lpszTemplateName))
        return -1;
    // Without the new font the dialog still works, in the template's own.
    dialogTemplate.SetFont("MS Shell Dlg 2", 8);
    const DLGTEMPLATE* edited = dialogTemplate.Lock();
    const char* savedName = m_lpszTemplateName;
    m_lpszTemplateName = nullptr;
    m_lpDialogTemplate = edited;
    // No owner and nothing disabled: the modal layer keeps the program's
    // windows behind the dialog instead.
    int32_t result = edited ? RunModalIndirect(edited, nullptr) : -1;
    m_lpDialogTemplate = nullptr;
    m_lpszTemplateName = savedName;
    dialogTemplate.Unlock();
    return result;
}

BOOL CDialogEx::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (boldLabelId_) {
        CFont* bold = DialogBoldFont();
        SendDlgItemMessageA(m_hWnd, boldLabelId_, WM_SETFONT,
                            reinterpret_cast<WPARAM>(bold ? bold->GetSafeHandle() : nullptr), TRUE);
    }
    return TRUE;
}

LRESULT CDialogEx::OnLayerMessage(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (layer.FilterMessage(m_hWnd, kDialogRules, GetCurrentMessage()->message, wParam, lParam, &result))
        return result;
    return Default();
}

LRESULT CDialogEx::OnNcHitTest(WPARAM, LPARAM) { return FilterSizingHitTest(resizeMode, Default()); }
