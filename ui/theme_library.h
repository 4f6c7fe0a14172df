// The visual-styles library, loaded by name on first need so that the
// program also starts where it does not exist; every themed drawing path has
// an unthemed fallback. User-interface thread.
#pragma once

#include "afx/afxwin.h"

// The theme handle that the library hands out.
typedef HANDLE HTHEME_HANDLE;

typedef BOOL(WINAPI* IsAppThemedFn)();
typedef HTHEME_HANDLE(WINAPI* OpenThemeDataFn)(HWND, LPCWSTR);
typedef HRESULT(WINAPI* GetThemeBackgroundContentRectFn)(HTHEME_HANDLE, HDC, int, int, const RECT*, RECT*);
typedef HRESULT(WINAPI* GetThemeMetricFn)(HTHEME_HANDLE, HDC, int, int, int, int*);
typedef HRESULT(WINAPI* DrawThemeBackgroundFn)(HTHEME_HANDLE, HDC, int, int, const RECT*, const RECT*);
typedef HRESULT(WINAPI* CloseThemeDataFn)(HTHEME_HANDLE);

// Filled on the first LoadThemeLibrary and kept until the process ends; an
// entry is null when the library lacks that function.
struct ThemeLibrary {
    bool tried;
    HMODULE library;
    IsAppThemedFn IsAppThemed;
    OpenThemeDataFn OpenThemeData;
    GetThemeBackgroundContentRectFn GetThemeBackgroundContentRect;
    GetThemeMetricFn GetThemeMetric;
    DrawThemeBackgroundFn DrawThemeBackground;
    CloseThemeDataFn CloseThemeData;
};

// The process-wide record (read it after LoadThemeLibrary).
const ThemeLibrary& Themes();
// Loads "uxtheme.dll" on the first call only; whether it is loaded.
bool LoadThemeLibrary();
// Whether the application is drawn with a visual style right now; asked
// afresh on every call, so it follows the user's switching.
bool ThemesActive();

// Theme parts, states and properties the progress bar uses.
const int kProgressBarPart = 1;
const int kProgressChunkPart = 3;
const int kThemeChunkSize = 2411;
const int kThemeSpaceSize = 2412;
