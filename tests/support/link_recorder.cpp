#include "tests/support/link_recorder.h"

#include "tests/support/test_env.h"

#include <algorithm>

std::string InstallLinkRecorder()
{
    std::string script = TestRoot() + "/record-link", record = TestRoot() + "/links.txt";
    WriteWholeFile(WindowsPath(script), "#!/bin/sh\nprintf '%s\\n' \"$@\" >> " + ShellQuoted(record) + "\n");
    RunHost("chmod +x " + ShellQuoted(script));
    for (const char* name : {"Browsers", "Mailers"})
        RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", name, REG_SZ, script.c_str(),
                        DWORD(script.size() + 1));
    return record;
}

std::string WaitForLinks(const std::string& record, int count)
{
    std::string text;
    for (int i = 0; i < 200 && std::count(text.begin(), text.end(), '\n') < count; ++i, Sleep(100))
        text = ReadWholeFile(WindowsPath(record)).bytes;
    return text;
}
