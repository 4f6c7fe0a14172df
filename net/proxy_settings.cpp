#include "net/proxy_settings.h"

#include <cstring>

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/folders.h"
#include "base/owner_only_file.h"
#include "net/proxies_record.h"

namespace {

ProxySettings* g_instance = nullptr;

// The full path of the "Proxies" file; false when it would not fit the buffer.
bool GetProxiesPath(char* path)
{
    GetPrefsFolder(path);
    return ReplaceFileName(path, kFolderPathSize, kProxiesFileName);
}

}  // namespace

ProxySettings& ProxySettings::Instance()
{
    if (!g_instance) {
        g_instance = new ProxySettings;
        g_instance->Load();
    }
    return *g_instance;
}

ProxySettings::ProxySettings()
    : loaded(false),
      dirty(false),
      httpEnabled(false),
      httpHost(),
      httpPort(0),
      httpUser(),
      httpPassword(),
      socksEnabled(false),
      socksVersion(4),
      socksHost(),
      socksPort(0),
      socksUser(),
      socksPassword()
{
}

ProxySettings::~ProxySettings() = default;

void ProxySettings::Load()
{
    char path[kFolderPathSize];
    loaded = false;
    try {
        if (!GetProxiesPath(path))
            throw ErrorCode(kErrorMalformed);
        FileStream file(path, "rb");
        ProxiesRecord::Read(file, *this);
        loaded = true;
        dirty = false;
    } catch (ErrorCode) {
        // Whatever was read before the failure is overwritten.
        Reset();
    }
}

void ProxySettings::Save()
{
    if (!dirty)
        return;
    char path[kFolderPathSize];
    if (!GetProxiesPath(path))
        return;
    try {
        FileStream file(path, "wb");
        // Before the passwords reach the file. Where the volume keeps no
        // access lists the settings are still saved.
        RestrictToOwner(path);
        ProxiesRecord::Write(file, *this);
        file.Close();
        dirty = false;
    } catch (ErrorCode) {
        // The stream is closed by now; a half-written record is not kept.
        DeleteFileResult(path);
    }
}

void ProxySettings::Reset()
{
    if (loaded)
        return;
    httpEnabled = false;
    httpHost[0] = '\0';
    httpPort = 0;
    httpUser[0] = '\0';
    httpPassword[0] = '\0';
    socksEnabled = false;
    socksVersion = 4;
    socksHost[0] = '\0';
    socksPort = 0;
    socksUser[0] = '\0';
    socksPassword[0] = '\0';
    loaded = true;
    dirty = false;
}

void ProxySettings::DisableIncomplete()
{
    if (httpEnabled && (httpHost[0] == '\0' || httpPort == 0))
        SetHttpEnabled(false);
    if (socksEnabled && (socksHost[0] == '\0' || socksPort == 0))
        SetSocksEnabled(false);
}

template <typename Value>
void ProxySettings::SetValue(Value& field, Value value)
{
    if (field != value) {
        field = value;
        dirty = true;
    }
}

void ProxySettings::SetText(char* field, const char* value)
{
    // The record and the fields hold at most 63 characters: a longer text is
    // cut here rather than run past its field.
    char cut[kTextCapacity];
    std::strncpy(cut, value ? value : "", sizeof cut - 1);
    cut[sizeof cut - 1] = '\0';
    if (std::strcmp(field, cut) != 0) {
        std::strcpy(field, cut);
        dirty = true;
    }
}

// clang-format off
void ProxySettings::SetHttpEnabled(bool value) { SetValue(httpEnabled, value); }
void ProxySettings::SetHttpHost(const char* value) { SetText(httpHost, value); }
void ProxySettings::SetHttpPort(uint16_t value) { SetValue(httpPort, value); }
void ProxySettings::SetHttpUser(const char* value) { SetText(httpUser, value); }
void ProxySettings::SetHttpPassword(const char* value) { SetText(httpPassword, value); }
void ProxySettings::SetSocksEnabled(bool value) { SetValue(socksEnabled, value); }
void ProxySettings::SetSocksVersion(uint8_t value) { SetValue(socksVersion, value); }
void ProxySettings::SetSocksHost(const char* value) { SetText(socksHost, value); }
void ProxySettings::SetSocksPort(uint16_t value) { SetValue(socksPort, value); }
void ProxySettings::SetSocksUser(const char* value) { SetText(socksUser, value); }
void ProxySettings::SetSocksPassword(const char* value) { SetText(socksPassword, value); }
// clang-format on
