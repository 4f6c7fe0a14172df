#include "afx/dialog_template.h"

#include <cstring>

namespace {

const WORD kExtendedSignature = 0xFFFF;
const size_t kPlainHeaderSize = 18;     // style, ex-style, count, x, y, cx, cy
const size_t kExtendedHeaderSize = 26;  // version, signature, help id, ex-style, style, count, x, y, cx, cy

size_t AlignToDword(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

bool ReadWord(const BYTE* data, size_t size, size_t offset, WORD* value)
{
    if (offset > size || size - offset < sizeof(WORD))
        return false;
    std::memcpy(value, data + offset, sizeof(WORD));
    return true;
}

// Skips a UTF-16 text up to and with its NUL.
bool SkipText(const BYTE* data, size_t size, size_t* offset)
{
    for (WORD unit = 1; unit != 0; *offset += sizeof(WORD)) {
        if (!ReadWord(data, size, *offset, &unit))
            return false;
    }
    return true;
}

// Skips a field that is either empty (0), an ordinal (0xFFFF, number) or a text.
bool SkipNameOrOrdinal(const BYTE* data, size_t size, size_t* offset)
{
    WORD first;
    if (!ReadWord(data, size, *offset, &first))
        return false;
    if (first == 0xFFFF) {
        *offset += 2 * sizeof(WORD);
        return *offset <= size;
    }
    return SkipText(data, size, offset);
}

size_t FontHeaderSize(bool extended)
{
    // point size; the extended form adds weight, italic and character set.
    return extended ? sizeof(WORD) * 2 + 2 : sizeof(WORD);
}

}  // namespace

bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplateLayout* layout)
{
    WORD version = 0, signature = 0;
    if (!data || !ReadWord(data, size, 0, &version) || !ReadWord(data, size, 2, &signature))
        return false;
    layout->extended = version == 1 && signature == kExtendedSignature;
    layout->styleOffset = layout->extended ? 12 : 0;
    size_t offset = layout->extended ? kExtendedHeaderSize : kPlainHeaderSize;
    if (size < offset)
        return false;
    DWORD style;
    std::memcpy(&style, data + layout->styleOffset, sizeof style);
    for (int field = 0; field < 3; ++field) {  // menu, class, title
        if (!SkipNameOrOrdinal(data, size, &offset))
            return false;
    }
    layout->fontOffset = offset;
    layout->hasFont = (style & DS_SETFONT) != 0;
    if (layout->hasFont) {
        offset += FontHeaderSize(layout->extended);
        if (offset > size || !SkipText(data, size, &offset))
            return false;
    }
    layout->itemsOffset = AlignToDword(offset) < size ? AlignToDword(offset) : size;
    return true;
}

bool AfxTemplateAsksCentring(const DLGTEMPLATE* dialogTemplate)
{
    if (!dialogTemplate)
        return false;
    const BYTE* data = reinterpret_cast<const BYTE*>(dialogTemplate);
    WORD version = 0, signature = 0;
    std::memcpy(&version, data, sizeof version);
    std::memcpy(&signature, data + 2, sizeof signature);
    bool extended = version == 1 && signature == kExtendedSignature;
    DWORD style = 0;
    short origin[2] = {};
    std::memcpy(&style, data + (extended ? 12 : 0), sizeof style);
    std::memcpy(origin, data + (extended ? 18 : 10), sizeof origin);
    return !(style & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) && origin[0] == 0 && origin[1] == 0;
}

CDialogTemplate::CDialogTemplate() : m_hTemplate(nullptr), m_size(0), m_nLocks(0) {}

CDialogTemplate::~CDialogTemplate()
{
    while (m_nLocks > 0) Unlock();
    if (m_hTemplate)
        GlobalFree(m_hTemplate);
}

BOOL CDialogTemplate::Replace(HGLOBAL memory, size_t size)
{
    if (m_nLocks > 0) {
        GlobalFree(memory);
        return FALSE;
    }
    if (m_hTemplate)
        GlobalFree(m_hTemplate);
    m_hTemplate = memory;
    m_size = size;
    return TRUE;
}

BOOL CDialogTemplate::SetTemplate(const void* data, size_t size)
{
    DialogTemplateLayout layout;
    if (!ParseDialogTemplate(static_cast<const BYTE*>(data), size, &layout))
        return FALSE;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    void* target = memory ? GlobalLock(memory) : nullptr;
    if (!target) {
        if (memory)
            GlobalFree(memory);
        return FALSE;
    }
    std::memcpy(target, data, size);
    GlobalUnlock(memory);
    return Replace(memory, size);
}

const DLGTEMPLATE* AfxLoadDialogResource(HMODULE module, const char* name, size_t* size)
{
    if (!module)
        module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (size)
        *size = data ? SizeofResource(module, resource) : 0;
    return static_cast<const DLGTEMPLATE*>(data);
}

BOOL CDialogTemplate::Load(HMODULE module, const char* name)
{
    size_t size = 0;
    const DLGTEMPLATE* data = AfxLoadDialogResource(module, name, &size);
    return data && SetTemplate(data, size);
}

BOOL CDialogTemplate::SetFont(const char* face, WORD points)
{
    if (!m_hTemplate || !face || !face[0])
        return FALSE;
    WCHAR wideFace[LF_FACESIZE];
    int units = MultiByteToWideChar(CP_ACP, 0, face, -1, wideFace, LF_FACESIZE);
    if (units <= 0)
        return FALSE;
    const BYTE* old = static_cast<const BYTE*>(GlobalLock(m_hTemplate));
    DialogTemplateLayout layout;
    if (!old || !ParseDialogTemplate(old, m_size, &layout)) {
        if (old)
            GlobalUnlock(m_hTemplate);
        return FALSE;
    }
    size_t fontSize = FontHeaderSize(layout.extended) + units * sizeof(WCHAR);
    size_t itemsOffset = AlignToDword(layout.fontOffset + fontSize);
    size_t itemsSize = m_size - layout.itemsOffset;
    size_t newSize = itemsOffset + itemsSize;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, newSize);
    BYTE* target = memory ? static_cast<BYTE*>(GlobalLock(memory)) : nullptr;
    if (!target) {
        GlobalUnlock(m_hTemplate);
        if (memory)
            GlobalFree(memory);
        return FALSE;
    }
    std::memcpy(target, old, layout.fontOffset);
    DWORD style;
    std::memcpy(&style, target + layout.styleOffset, sizeof style);
    style |= DS_SETFONT;
    std::memcpy(target + layout.styleOffset, &style, sizeof style);
    BYTE* font = target + layout.fontOffset;
    std::memcpy(font, &points, sizeof points);
    if (layout.extended) {
        // Keep weight, italic and character set when the template had them.
        if (layout.hasFont)
            std::memcpy(font + 2, old + layout.fontOffset + 2, 4);
        else {
            WORD weight = FW_NORMAL;
            std::memcpy(font + 2, &weight, sizeof weight);
            font[5] = DEFAULT_CHARSET;
        }
    }
    std::memcpy(font + FontHeaderSize(layout.extended), wideFace, units * sizeof(WCHAR));
    std::memcpy(target + itemsOffset, old + layout.itemsOffset, itemsSize);
    GlobalUnlock(memory);
    GlobalUnlock(m_hTemplate);
    return Replace(memory, newSize);
}

const DLGTEMPLATE* CDialogTemplate::Lock()
{
    if (!m_hTemplate)
        return nullptr;
    void* data = GlobalLock(m_hTemplate);
    if (data)
        ++m_nLocks;
    return static_cast<const DLGTEMPLATE*>(data);
}

void CDialogTemplate::Unlock()
{
    if (m_nLocks > 0 && m_hTemplate) {
        GlobalUnlock(m_hTemplate);
        --m_nLocks;
    }
}
