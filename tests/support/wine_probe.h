// An installation seen from outside, in the test's own Wine prefix, and the
// installer run whole as another program or a person would run it. Test
// thread; nothing here fails a test, each function returns what to assert on.
#pragma once

#include "base/byte_order.h"
#include "tests/support/linux_peer.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A value under HKEY_CURRENT_USER as stored (found false when absent); a
// REG_SZ's NUL is part of its data, written or read.
struct RegistryValue {
    bool found;
    DWORD type;
    std::string data;
    std::string Text() const { return data.substr(0, data.find_last_not_of('\0') + 1); }
    DWORD Number() const { return data.size() == 4 ? LoadLittleEndian32(Bytes()) : 0; }
    const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(data.data()); }
};
RegistryValue ReadRegistryValue(const char* key, const char* name);
bool WriteRegistryValue(const char* key, const char* name, DWORD type, const std::string& data);

std::string SpecialFolder(int csidl);  // created when missing
std::string InstallFolder();
std::string StandinExe();       // the build's stand-in Quorvalent
std::string EmbeddedPackage();  // the package the installer carries
// Removes the registration and the installation folder, so that the next run
// installs afresh; shortcuts and preferences stay.
void ForgetInstallation();

// A sanitized installer hands its preload to the programs it starts, and the
// plain Windows stand-in cannot start with it: no launch is seen then.
bool LaunchesVisible();
// The starts that the stand-in "Quorvalent.exe" in the folder recorded, once
// `expected` are there or 20 s have passed. The stand-in then runs once more
// as a marker and is waited for, so that a start that should not have
// happened is seen without a sleep; the marker is left out.
struct ProgramStart {
    std::string folder;
    std::string arguments;
};
std::vector<ProgramStart> RecordedStarts(const std::string& folder, size_t expected = 0);

// A built Winelib program ("quorvalent-pack.exe") as a host shell command.
std::string BuiltProgram(const std::string& name);
// The installer's exit code (-1: it ran past 90 s) and all it printed, its
// console alerts included.
struct SetupResult {
    int exitCode;
    std::string output;
};
// The person in front of the running installer, on the test thread; `ended`
// turns true when the run is over.
typedef std::function<void(const std::atomic<bool>& ended)> WhileSetupRuns;
// Runs quorvalent-setup with the options as another program starts it. Where
// the prefix has no display, every question is answered in the console.
SetupResult RunSetup(const std::string& options, const WhileSetupRuns& whileRunning = nullptr);
// What a download-road installation lacks: the stand-in as "Quorvalent.exe",
// its registration and, where launches are visible, one start from its
// folder without arguments. Empty when nothing.
std::string InstallationLacks();

// nginx serving the package as http://files.quorvalent.test/q.pkg from the
// web address, and the reference update service naming it with the number.
struct UpdateSite {
    UpdateSite(const std::string& package, uint32_t packageNumber, const char* webAddress = "127.0.0.10");
    bool Ready() const { return web.Ready() && service.Ready() && stored; }
    LinuxPeer web;
    LinuxPeer service;
    bool stored;
};
