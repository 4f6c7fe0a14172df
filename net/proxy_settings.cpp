#include "net/proxy_settings.h"

#include <cstring>

namespace {

ProxySettings* g_instance = nullptr;

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
    : loaded(false), dirty(false), httpEnabled(false), httpHost(), httpPort(0), httpUser(),
      httpPassword(), socksEnabled(false), socksVersion(4), socksHost(), socksPort(0), socksUser(),
      socksPassword()
{
}

ProxySettings::~ProxySettings() = default;

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
