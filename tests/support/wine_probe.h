// An installation seen from outside in the test's own Wine prefix, the built
// programs, and the case tables of tests/data. Test thread.
#pragma once

#include "base/byte_order.h"
#include "tests/support/test_env.h"

#include <string>
#include <vector>

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != text.npos;
}
size_t Occurrences(const std::string& text, const std::string& part);

// A value under HKEY_CURRENT_USER as stored (a REG_SZ with its NUL).
struct RegistryValue {
    bool found;
    DWORD type;
    std::string data;
    std::string Text() const { return data.substr(0, data.find_last_not_of('\0') + 1); }
    DWORD Number() const { return data.size() == 4 ? LoadLittleEndian32((const uint8_t*)data.data()) : 0; }
};
RegistryValue ReadRegistryValue(const char* key, const char* name);
bool WriteRegistryValue(const char* key, const char* name, DWORD type, const std::string& data);

std::string SpecialFolder(int csidl);  // created when missing
std::string QuickLaunchFolder();       // not created
std::string InstallFolder();
std::string StandinExe();  // the product's stand-in Quorvalent
// A program of the product ("quorvalent-setup.exe"): the Winelib build's
// .exe.so or the Windows build's .exe, as a Windows path and as a host shell
// command.
std::string ProductProgram(const std::string& name);
std::string BuiltProgram(const std::string& name);

// The shortcuts to the program (its file name with ".lnk"): "links" and each
// of "programs", "quicklaunch", "desktop", "startup" that exists, "(wrong)"
// behind one whose target or arguments ("/autostart" for startup alone) are
// not right; empty when none. Deleted afterwards when asked.
std::string Shortcuts(const std::string& program, bool thenDelete = false);
// The starts that the stand-in "Quorvalent.exe" in the folder recorded, each
// "started", its arguments and, when another, its working folder, joined by
// ", ", once `expected` are there or 20 s have passed; a last start of the
// stand-in as a marker shows any start that should not have happened.
std::string RecordedStarts(const std::string& folder, size_t expected = 0);
