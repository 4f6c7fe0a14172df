#include "afx/font.h"

BOOL CFont::CreateFontIndirect(const LOGFONTA* description)
{
    if (m_hObject || !description)
        return FALSE;
    m_hObject = ::CreateFontIndirectA(description);
    return m_hObject != nullptr;
}

BOOL CFont::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}
