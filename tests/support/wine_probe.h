// An installation seen from outside, in the test's own Wine prefix, and the
// installer run whole as another program or a person would run it. Test
// thread; nothing here fails a test, each function returns what to assert on.
#pragma once

#include "tests/support/linux_peer.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A value under HKEY_CURRENT_USER as stored; found false when absent.
struct RegistryValue {
    bool found;
    DWORD type;
    std::string data;
    std::string Text() const;  // without trailing NULs
    DWORD Number() const;      // a REG_DWORD's; 0 for data of another size
};
RegistryValue ReadRegistryValue(const char* key, const char* name);
// Stores the bytes as they are: a REG_SZ's NUL is the caller's to add.
bool WriteRegistryValue(const char* key, const char* name, DWORD type, const std::string& data);

// The user's special folder (created when missing), and where installs go.
std::string SpecialFolder(int csidl);
std::string InstallFolder();
// The build's stand-in Quorvalent, which the embedded package carries too.
std::string StandinExe();
std::string EmbeddedPackage();
// Removes the registration and the installation folder, so that the next run
// installs afresh; shortcuts and preferences stay.
void ForgetInstallation();

// One start as the stand-in recorded it beside itself.
struct ProgramStart {
    std::string folder;
    std::string arguments;
};
// Programs that a sanitized installer starts inherit its preload, with which
// the plain Windows stand-in cannot start, so no launch of it is seen.
bool LaunchesVisible();
// The starts recorded by the stand-in "Quorvalent.exe" in the folder, once
// `expected` are there or 20 s have passed. The stand-in is then run once
// more as a marker and waited for, so that a start that should not have
// happened is seen without a sleep; the marker's start is left out.
std::vector<ProgramStart> RecordedStarts(const std::string& folder, size_t expected = 0);

// A built Winelib program ("quorvalent-pack.exe") as a host shell command.
std::string BuiltProgram(const std::string& name);
// What the installer printed, its console alerts included, and its exit code
// (-1: it did not end within 90 s).
struct SetupResult {
    int exitCode;
    std::string output;
};
// Acts as the person in front of the running installer; `ended` turns true
// when the run is over.
typedef std::function<void(const std::atomic<bool>& ended)> WhileSetupRuns;
// Runs quorvalent-setup with the options as another program starts it, and
// whileRunning (if any) on the test thread meanwhile. Without a display in
// the prefix, every question is answered in the console.
SetupResult RunSetup(const std::string& options, const WhileSetupRuns& whileRunning = nullptr);

// What a download-road installation lacks: the stand-in as "Quorvalent.exe",
// its registration, no download state left and, where launches are visible,
// one start from its folder without arguments. Empty when nothing.
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
