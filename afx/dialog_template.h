// CDialogTemplate: a dialog template copied from the resources into memory
// of our own, where its font can be replaced before the dialog is created.
// Both template forms are understood: the plain one and the extended one
// (which starts with version 1 and the signature 0xFFFF).
#pragma once

#include "afx/afxwin.h"

#include <cstddef>

// Where the parts of a template lie, in bytes from its start.
struct DialogTemplateLayout {
    bool extended;
    size_t styleOffset;  // the DWORD style
    size_t fontOffset;   // the point size, or where it would go without a font
    size_t itemsOffset;  // the first item (DWORD-aligned), or the end
    bool hasFont;
};

// The RT_DIALOG resource `name` of `module` (null: the program) and its size
// in bytes; null when it is missing or cannot be loaded. The bytes belong to
// the module. CDialog::DoModal and CDialogTemplate::Load both load this way.
const DLGTEMPLATE* AfxLoadDialogResource(HMODULE module, const char* name, size_t* size);

// True when a complete template sits at 0,0 and asks for no placement of its
// own (DS_CENTER, DS_CENTERMOUSE, DS_ABSALIGN): the framework centres it.
bool AfxTemplateAsksCentring(const DLGTEMPLATE* dialogTemplate);

// Finds the parts of a template of `size` bytes; false when the bytes run
// out before the template's header, menu, class, title and font are complete.
bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplateLayout* layout);

// Thread: one thread at a time.
class CDialogTemplate {
public:
    CDialogTemplate();
    ~CDialogTemplate();
    CDialogTemplate(const CDialogTemplate&) = delete;
    CDialogTemplate& operator=(const CDialogTemplate&) = delete;

    // Copies the RT_DIALOG resource `name` of `module` (null: the program);
    // FALSE when it is missing or malformed. Replaces what was held.
    BOOL Load(HMODULE module, const char* name);
    // Copies `size` bytes of a template; FALSE when they are malformed.
    BOOL SetTemplate(const void* data, size_t size);
    // Puts `face` at `points` in place of the template's font (adding one
    // when it has none); the items follow unchanged. FALSE when nothing is
    // held, the face is empty or longer than LF_FACESIZE, or memory runs out.
    BOOL SetFont(const char* face, WORD points);

    // The template for the system's dialog creation, valid until Unlock.
    const DLGTEMPLATE* Lock();
    void Unlock();
    size_t GetSize() const { return m_size; }

private:
    BOOL Replace(HGLOBAL memory, size_t size);

    HGLOBAL m_hTemplate;
    size_t m_size;
    int m_nLocks;
};
