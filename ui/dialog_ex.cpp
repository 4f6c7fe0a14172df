#include "ui/dialog_ex.h"

#include "afx/dialog_template.h"
#include "ui/sizing_hit_test.h"

const AFX_MSGMAP_ENTRY CDialogEx::messageEntries[] = {
    {WM_ACTIVATE, 0, 0, AFX_HANDLER(&CDialogEx::OnActivate)},
    {WM_WINDOWPOSCHANGING, 0, 0, AFX_HANDLER(&CDialogEx::OnWindowPosChanging)},
    {WM_MOUSEACTIVATE, 0, 0, AFX_HANDLER(&CDialogEx::OnMouseActivate)},
    {WM_NCHITTEST, 0, 0, AFX_HANDLER(&CDialogEx::OnNcHitTest)},
    {WM_TASKBAR_BUTTON_MENU, 0, 0, AFX_HANDLER(&CDialogEx::OnTaskbarMenu)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CDialogEx::messageMap = {&CDialog::messageMap, CDialogEx::messageEntries};

const AFX_MSGMAP* CDialogEx::GetMessageMap() const { return &messageMap; }

CDialogEx::CDialogEx(UINT templateId, CWnd* parent) : CDialog(templateId, parent), layer(), resizeMode(0)
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

LRESULT CDialogEx::OnActivate(WPARAM wParam, LPARAM)
{
    if (IsWindowVisible(m_hWnd) && LOWORD(wParam) != WA_INACTIVE && WindowLayer::HasModalMember()) {
        WindowLayer::ActivateTopModal();
        return 0;
    }
    return Default();
}

LRESULT CDialogEx::OnWindowPosChanging(WPARAM, LPARAM lParam)
{
    WINDOWPOS* position = reinterpret_cast<WINDOWPOS*>(lParam);
    if (position && IsWindowVisible(m_hWnd) && layer.GetLevel() == WindowLayer::kModalLevel &&
        !(position->flags & SWP_NOZORDER)) {
        WindowLayer::RaiseModal();
        position->flags |= SWP_NOZORDER;
        return 0;
    }
    return Default();
}

LRESULT CDialogEx::OnMouseActivate(WPARAM wParam, LPARAM)
{
    if (reinterpret_cast<HWND>(wParam) == m_hWnd && !layer.IsTopModal()) {
        WindowLayer::RejectClick();
        return MA_NOACTIVATEANDEAT;
    }
    return Default();
}

LRESULT CDialogEx::OnNcHitTest(WPARAM, LPARAM) { return FilterSizingHitTest(resizeMode, Default()); }

LRESULT CDialogEx::OnTaskbarMenu(WPARAM, LPARAM)
{
    if (layer.MayActivate())
        return Default();
    return 0;
}
