#include "app/registration.h"

#include "app/installer_app.h"
#include "app/registry_keys.h"
#include "app/slow_info_cache.h"

#include <shlwapi.h>

#include <cstring>

namespace {

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { Close(); }

    LONG Create(const char* path, REGSAM access)
    {
        Close();
        return RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                               &key_, nullptr);
    }
    LONG Close()
    {
        LONG result = ERROR_SUCCESS;
        if (key_)
            result = RegCloseKey(key_);
        key_ = nullptr;
        return result;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

void SetString(HKEY key, const char* name, const char* text)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::strlen(text) + 1));
}

void SetDword(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// The command that removes the program: its path, quoted when it holds a
// blank, and the option the program acts on. False when it does not fit.
bool BuildUninstallString(const char* executablePath, char (&command)[MAX_PATH + 16])
{
    char quoted[MAX_PATH + 2];
    if (std::strlen(executablePath) >= MAX_PATH)
        return false;
    std::strcpy(quoted, executablePath);
    PathQuoteSpacesA(quoted);
    // The shell leaves a path of 258 or more characters unquoted; a blank in
    // it would still split the command, so it is quoted here.
    if (std::strchr(executablePath, ' ') && quoted[0] != '"') {
        quoted[0] = '"';
        std::strcpy(quoted + 1, executablePath);
        std::strcat(quoted, "\"");
    }
    if (std::strlen(quoted) + sizeof " /uninstall" > sizeof command)
        return false;
    std::strcpy(command, quoted);
    std::strcat(command, " /uninstall");
    return true;
}

void WriteUninstallValues(HKEY key, const char* executablePath)
{
    SetString(key, "Comments", "Quorvalent - play your friends online");
    SetString(key, "DisplayName", "Quorvalent");
    SetString(key, "DisplayIcon", executablePath);
    SetString(key, "HelpLink", kHelpLink);

    // A path that does not fit would be cut before its file name is taken
    // off, and the cut folder registered as the installation's.
    char location[MAX_PATH];
    if (std::strlen(executablePath) < sizeof location) {
        std::strcpy(location, executablePath);
        PathRemoveFileSpecA(location);
        SetString(key, "InstallLocation", location);
    }

    SetString(key, "Publisher", "Quorvalent Technologies");
    SetString(key, "URLInfoAbout", kAboutLink);
    SetDword(key, "NoModify", 1);
    SetDword(key, "NoRemove", 0);
    SetDword(key, "NoRepair", 1);

    char command[MAX_PATH + 16];
    if (BuildUninstallString(executablePath, command))
        SetString(key, "UninstallString", command);

    char date[388];
    if (GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, nullptr, "yyyyMMdd", date, sizeof date) > 0)
        SetString(key, "InstallDate", date);
}

// What to do with the SlowInfoCache value found in the ARP cache key.
enum class RecordFound { Absent, Usable, Foreign };

RecordFound ReadArpCacheRecord(HKEY key, ArpCacheRecord record)
{
    DWORD type = 0;
    DWORD size = kArpRecordSize;
    LONG result = RegQueryValueExA(key, "SlowInfoCache", nullptr, &type, record, &size);
    if (result == ERROR_SUCCESS)
        return type == REG_BINARY && size == kArpRecordSize ? RecordFound::Usable : RecordFound::Foreign;
    // A longer value belongs to someone else just as much as a wrong type.
    return result == ERROR_MORE_DATA ? RecordFound::Foreign : RecordFound::Absent;
}

}  // namespace

LONG InstallerApp::WriteBundleValue()
{
    RegistryKey key;
    LONG result = key.Create(kProductKey, KEY_WRITE);
    if (result != ERROR_SUCCESS)
        return result;
    SetDword(key.get(), "Bundle", m_nBundle);
    return key.Close();
}

void WriteEstimatedSize(uint32_t installedSize)
{
    RegistryKey uninstall;
    if (uninstall.Create(kUninstallKey, KEY_WRITE) == ERROR_SUCCESS)
        SetDword(uninstall.get(), "EstimatedSize", installedSize);
    uninstall.Close();

    RegistryKey cache;
    if (cache.Create(kArpCacheKey, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    ArpCacheRecord record;
    switch (ReadArpCacheRecord(cache.get(), record)) {
        case RecordFound::Usable:
            SetArpInstalledSize(record, installedSize);
            break;
        case RecordFound::Absent:
            BuildArpCacheRecord(record, installedSize);
            break;
        case RecordFound::Foreign:
            return;
    }
    RegSetValueExA(cache.get(), "SlowInfoCache", 0, REG_BINARY, record, kArpRecordSize);
    SetDword(cache.get(), "Changed", 0);
}

void WriteUninstallEntry(const char* executablePath, uint32_t installedSize)
{
    RegistryKey key;
    if (key.Create(kUninstallKey, KEY_WRITE) == ERROR_SUCCESS)
        WriteUninstallValues(key.get(), executablePath);
    key.Close();
    WriteEstimatedSize(installedSize);
}

void RegisterInstallation(const char* executablePath, uint32_t installedSize)
{
    WriteUninstallEntry(executablePath, installedSize);
    RegistryKey key;
    if (key.Create(kProductKey, KEY_WRITE) == ERROR_SUCCESS)
        SetString(key.get(), "ExecutablePath", executablePath);
}
