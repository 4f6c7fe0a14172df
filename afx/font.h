// CFont: owns one GDI font; the font is deleted with the object.
#pragma once

#include "afx/afxwin.h"

// Thread: a font may be selected or set on windows of any thread; create and
// delete it on one thread at a time.
class CFont {
public:
    CFont() : m_hObject(nullptr) {}
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // Creates the font from the description; FALSE when this object already
    // holds a font or the system refuses.
    BOOL CreateFontIndirect(const LOGFONTA* description);
    // Deletes the font, if any; the object may then create another.
    BOOL DeleteObject();
    HFONT GetSafeHandle() const { return m_hObject; }
    operator HFONT() const { return m_hObject; }

    HFONT m_hObject;
};
