// Window classes that the framework registers for its frames.
#include "afx/wnd.h"

#include <cstdio>

namespace {

struct RegisteredClass {
    UINT style;
    HCURSOR cursor;
    HBRUSH background;
    HICON icon;
    char name[64];
};

RegisteredClass g_registeredClasses[16];
int g_registeredCount = 0;

}  // namespace

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    for (int i = 0; i < g_registeredCount; ++i) {
        const RegisteredClass& known = g_registeredClasses[i];
        if (known.style == classStyle && known.cursor == cursor && known.background == background &&
            known.icon == icon)
            return known.name;
    }
    if (g_registeredCount == static_cast<int>(sizeof g_registeredClasses / sizeof g_registeredClasses[0]))
        return nullptr;
    RegisteredClass& entry = g_registeredClasses[g_registeredCount];
    std::snprintf(entry.name, sizeof entry.name, "Afx:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    WNDCLASSA windowClass = {};
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.hIcon = icon;
    windowClass.lpszClassName = entry.name;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    entry.style = classStyle;
    entry.cursor = cursor;
    entry.background = background;
    entry.icon = icon;
    ++g_registeredCount;
    return entry.name;
}
