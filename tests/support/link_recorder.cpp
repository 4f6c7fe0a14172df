#include "tests/support/link_recorder.h"

#include "tests/support/process.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

std::string InstallLinkRecorder()
{
    std::string root = std::getenv("QV_TEST_ROOT");
    std::string script = root + "/record-link";
    std::string record = root + "/links.txt";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << record << "'\n";
    RunCommand("chmod +x '" + script + "'", nullptr);
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_WRITE, nullptr,
                    &key, nullptr);
    for (const char* name : {"Browsers", "Mailers"})
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(script.c_str()),
                       static_cast<DWORD>(script.size() + 1));
    RegCloseKey(key);
    return record;
}

std::string WaitForLinks(const std::string& record, int count)
{
    std::string text;
    for (int i = 0; i < 200; ++i) {
        std::ifstream file(record);
        std::stringstream content;
        content << file.rdbuf();
        text = content.str();
        int lines = 0;
        for (char c : text)
            lines += c == '\n';
        if (lines >= count)
            break;
        Sleep(100);
    }
    return text;
}
