#include "afx/controls.h"

const CRuntimeClass CStatic::classCStatic = {"CStatic", &CWnd::classCWnd};
const CRuntimeClass CButton::classCButton = {"CButton", &CWnd::classCWnd};
const CRuntimeClass CEdit::classCEdit = {"CEdit", &CWnd::classCWnd};

const CRuntimeClass* CStatic::GetRuntimeClass() const { return &classCStatic; }

BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, "STATIC", text, style | WS_CHILD, rect, parent, id);
}

const CRuntimeClass* CButton::GetRuntimeClass() const { return &classCButton; }

int CButton::GetCheck() const { return static_cast<int>(SendMessageA(m_hWnd, BM_GETCHECK, 0, 0)); }

void CButton::SetCheck(int state) { SendMessageA(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(state), 0); }

const CRuntimeClass* CEdit::GetRuntimeClass() const { return &classCEdit; }

void CEdit::LimitText(int count) { SendMessageA(m_hWnd, EM_LIMITTEXT, static_cast<WPARAM>(count), 0); }
