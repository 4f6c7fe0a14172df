#include "tests/support/wine_probe.h"

#include "app/registry_keys.h"
#include "tests/support/test_env.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <thread>

namespace {

const char kMarker[] = "marker";

// Each line of the record: time, working folder and arguments, tab-separated.
std::vector<ProgramStart> ReadStarts(const std::string& folder)
{
    std::string record = ReadWholeFile(folder + "\\starts.txt").bytes;
    std::vector<ProgramStart> starts;
    for (size_t at = 0, end; (end = record.find("\r\n", at)) != std::string::npos; at = end + 2) {
        std::string line = record.substr(at, end - at);
        size_t tab = line.find('\t'), tab2 = line.find('\t', tab + 1);
        if (tab2 != std::string::npos && line.substr(tab2 + 1) != kMarker)
            starts.push_back({line.substr(tab + 1, tab2 - tab - 1), line.substr(tab2 + 1)});
    }
    return starts;
}

}  // namespace

RegistryValue ReadRegistryValue(const char* key, const char* name)
{
    char data[4096];
    DWORD size = sizeof data;
    RegistryValue value = {false, REG_NONE, std::string()};
    value.found = RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, data,
                               &size) == ERROR_SUCCESS;
    value.data.assign(data, value.found ? size : 0);
    return value;
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

std::string InstallFolder()
{
    return SpecialFolder(CSIDL_APPDATA) + "\\Quorvalent\\Quorvalent";
}

std::string StandinExe()
{
    return WindowsPath(BuildDir()) + "\\tools\\quorvalent-standin.exe";
}

std::string EmbeddedPackage()
{
    return ReadWholeFile(WindowsPath(BuildDir()) + "\\resources\\embedded.pkg").bytes;
}

void ForgetInstallation()
{
    for (const char* key : {kUninstallKey, kArpCacheKey, kProductKey}) SHDeleteKeyA(HKEY_CURRENT_USER, key);
    RunHost("rm -rf " + ShellQuoted(UnixPath(InstallFolder())));
}

bool LaunchesVisible()
{
    return Environment("QV_PRELOAD").empty();
}

std::vector<ProgramStart> RecordedStarts(const std::string& folder, size_t expected)
{
    for (int waited = 0; waited < 20000 && ReadStarts(folder).size() < expected; waited += 50) Sleep(50);
    WithoutSanitizerPreload plainWindowsProgram;
    RunAndWait("\"" + folder + "\\Quorvalent.exe\" " + kMarker);
    return ReadStarts(folder);
}

// Where the 32-bit Wine is installed too, plain "wine" would choose it.
std::string BuiltProgram(const std::string& name)
{
    return "\"${WINELOADER:-wine}\" " + ShellQuoted(BuildDir() + "/" + name + ".so");
}

SetupResult RunSetup(const std::string& options, const WhileSetupRuns& whileRunning)
{
    // Started from this Wine process, the installer may print its console
    // alerts on this process's stderr rather than on the shell's.
    StderrCapture alerts;
    std::atomic<bool> ended(false);
    HostRun run = {-1, std::string()};
    // A host thread: it calls only the C library, never Wine.
    std::thread runner([&] {
        run = RunHost(BuiltProgram("quorvalent-setup.exe") + " " + options, 90, true);
        ended = true;
    });
    if (whileRunning)
        whileRunning(ended);
    runner.join();
    return {run.exitCode, run.output + alerts.Text()};
}

std::string InstallationLacks()
{
    const std::string program = InstallFolder() + "\\Quorvalent.exe";
    std::string lacks;
    if (ReadWholeFile(program).bytes != ReadWholeFile(StandinExe()).bytes)
        lacks += "the program; ";
    if (ReadRegistryValue(kUninstallKey, "DisplayIcon").Text() != program)
        lacks += "its registration; ";
    if (!LaunchesVisible())
        return lacks;
    std::vector<ProgramStart> starts = RecordedStarts(InstallFolder(), 1);
    if (starts.size() != 1 || starts[0].folder != InstallFolder() || !starts[0].arguments.empty())
        lacks += "one start without arguments; ";
    return lacks;
}

UpdateSite::UpdateSite(const std::string& package, uint32_t packageNumber, const char* webAddress)
    : web("nginx", webAddress, 80),
      service("service", "127.0.0.40", 16000,
              {BuildDir() + "/quorvalent-service", "--package-url", "http://files.quorvalent.test/q.pkg",
               "--package-number", std::to_string(packageNumber)}),
      stored(WriteUnixFile(web.Folder() + "/www/q.pkg", package))
{
}
