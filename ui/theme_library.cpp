#include "ui/theme_library.h"

namespace {

ThemeLibrary g_themes = {};

template <typename Function>
void LookUp(HMODULE library, const char* name, Function* entry)
{
    *entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

const ThemeLibrary& Themes() { return g_themes; }

bool LoadThemeLibrary()
{
    if (!g_themes.tried) {
        g_themes.tried = true;
        g_themes.library = LoadLibraryA("uxtheme.dll");
        if (g_themes.library) {
            HMODULE library = g_themes.library;
            LookUp(library, "IsAppThemed", &g_themes.IsAppThemed);
            LookUp(library, "OpenThemeData", &g_themes.OpenThemeData);
            LookUp(library, "GetThemeBackgroundContentRect", &g_themes.GetThemeBackgroundContentRect);
            LookUp(library, "GetThemeMetric", &g_themes.GetThemeMetric);
            LookUp(library, "DrawThemeBackground", &g_themes.DrawThemeBackground);
            LookUp(library, "CloseThemeData", &g_themes.CloseThemeData);
        }
    }
    return g_themes.library != nullptr;
}

bool ThemesActive() { return LoadThemeLibrary() && g_themes.IsAppThemed && g_themes.IsAppThemed() != FALSE; }
