#include "tests/support/wine_probe.h"

#include "base/folders.h"

#include <shlobj.h>

#include <sstream>

namespace {

// The record's lines hold time, working folder and arguments, tab-separated.
std::string ReadStarts(const std::string& folder)
{
    std::istringstream record(ReadWholeFile(folder + "\\starts.txt").bytes);
    std::string starts;
    for (std::string line; std::getline(record, line);) {
        size_t tab = line.find('\t'), tab2 = line.find('\t', tab + 1);
        std::string working = line.substr(tab + 1, tab2 - tab - 1), arguments = line.substr(tab2 + 1);
        arguments.erase(arguments.find_last_not_of('\r') + 1);
        if (tab2 != line.npos && arguments != "marker")
            starts += std::string(starts.empty() ? "" : ", ") + "started" + (arguments.empty() ? "" : " ") +
                      arguments + (working == folder ? "" : " in " + working);
    }
    return starts;
}

}  // namespace

size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != text.npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

RegistryValue ReadRegistryValue(const char* key, const char* name)
{
    char data[4096];
    DWORD size = sizeof data, type = REG_NONE;
    bool found = !RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size);
    return {found, type, std::string(data, found ? size : 0)};
}

bool WriteRegistryValue(const char* key, const char* name, DWORD type, const std::string& data)
{
    return RegSetKeyValueA(HKEY_CURRENT_USER, key, name, type, data.data(), DWORD(data.size())) == 0;
}

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, csidl, TRUE);
    return path;
}

std::string QuickLaunchFolder()
{
    return SpecialFolder(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch";
}
std::string InstallFolder() { return SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent"; }
std::string StandinExe() { return WindowsPath(ProductDir()) + "\\tools\\quorvalent-standin.exe"; }
std::string ProductProgram(const std::string& name)
{
    const std::string program = WindowsPath(ProductDir() + "/" + name);
    return FileExists((program + ".so").c_str()) ? program + ".so" : program;
}
// Where the 32-bit Wine is installed too, plain "wine" chooses it: it runs
// the Windows build's programs, and the Winelib ones need the 64-bit loader.
std::string BuiltProgram(const std::string& name)
{
    const std::string program = ProductProgram(name);
    const bool winelib = program.size() > 3 && program.compare(program.size() - 3, 3, ".so") == 0;
    return (winelib ? "\"${WINELOADER:-wine}\" " : "wine ") + ShellQuoted(UnixPath(program));
}

std::string Shortcuts(const std::string& program, bool thenDelete)
{
    const std::string names[] = {"programs", "quicklaunch", "desktop", "startup"},
                      folders[] = {SpecialFolder(CSIDL_PROGRAMS), QuickLaunchFolder(),
                                   SpecialFolder(CSIDL_DESKTOPDIRECTORY), SpecialFolder(CSIDL_STARTUP)};
    std::string made, name = program.substr(program.rfind('\\') + 1);
    for (int i = 0; i < 4; ++i) {
        const std::string file = folders[i] + "\\" + name.substr(0, name.rfind('.')) + ".lnk";
        const std::string info =
            FileExists(file.c_str()) ? RunHost("lnkinfo " + ShellQuoted(UnixPath(file))).output : "";
        bool right = Contains(info, ": " + program + "\n") && Contains(info, ": /autostart\n") == (i == 3) &&
                     Contains(info, "arguments") == (i == 3);
        made += info.empty() ? "" : " " + names[i] + (right ? "" : "(wrong)");
        if (thenDelete)
            DeleteFileA(file.c_str());
    }
    return made.empty() ? "" : "links" + made;
}

std::string RecordedStarts(const std::string& folder, size_t expected)
{
    for (int waited = 0; waited < 20000 && Occurrences(ReadStarts(folder), "started") < expected;
         waited += 50)
        Sleep(50);
    WithoutSanitizerPreload plainWindowsProgram;
    RunAndWait("\"" + folder + "\\Quorvalent.exe\" marker");
    return ReadStarts(folder);
}
