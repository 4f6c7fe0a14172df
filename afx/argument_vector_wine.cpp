#include "afx/argument_vector.h"

#include "afx/afxwin.h"

#include <shellapi.h>
#include <string>
#include <vector>

extern "C" {
int __argc = 0;
char** __argv = nullptr;
}

// Windows splits the command line itself; the arguments are handed on in the
// ANSI code page, as the Windows C runtime's __argv carries them.
void FillArgumentVector()
{
    static std::vector<std::string> texts;
    static std::vector<char*> pointers;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return;
    for (int i = 0; i < count; ++i) {
        int bytes = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(bytes > 0 ? bytes : 1, '\0');
        if (bytes > 0)
            WideCharToMultiByte(CP_ACP, 0, wide[i], -1, &text[0], bytes, nullptr, nullptr);
        texts.push_back(text.c_str());
    }
    LocalFree(wide);
    for (std::string& text : texts) pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    __argc = count;
    __argv = pointers.data();
}
