#include "tests/support/link_recorder.h"

#include "tests/support/test_env.h"

#include <algorithm>

std::string InstallLinkRecorder()
{
    std::string script = TestRoot() + "/record-link", record = TestRoot() + "/links.txt";
    WriteWholeFile(WindowsPath(script), "#!/bin/sh\nprintf '%s\\n' \"$@\" >> " + ShellQuoted(record) + "\n");
    RunHost("chmod +x " + ShellQuoted(script));
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    for (const char* name : {"Browsers", "Mailers"})
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(script.c_str()),
                       static_cast<DWORD>(script.size() + 1));
    RegCloseKey(key);
    return record;
}

std::string WaitForLinks(const std::string& record, int count)
{
    std::string text = ReadWholeFile(WindowsPath(record)).bytes;
    for (int i = 0; i < 200 && std::count(text.begin(), text.end(), '\n') < count; ++i) {
        Sleep(100);
        text = ReadWholeFile(WindowsPath(record)).bytes;
    }
    return text;
}
