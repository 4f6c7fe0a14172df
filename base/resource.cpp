#include "base/resource.h"

bool LoadProgramResource(const char* type, WORD id, const uint8_t** bytes, uint32_t* length)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    DWORD size = resource ? SizeofResource(module, resource) : 0;
    HGLOBAL loaded = size ? LoadResource(module, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return false;
    *bytes = static_cast<const uint8_t*>(data);
    *length = size;
    return true;
}
