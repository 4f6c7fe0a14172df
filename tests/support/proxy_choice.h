// Sets the process-wide proxy settings for a network test; every call sets
// all fields of the proxy it names, so tests do not depend on one another.
// Also where the settings are saved, and all their fields as one line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/folders.h"
#include "net/proxies_record.h"
#include "net/proxy_settings.h"

inline void UseNoProxy()
{
    ProxySettings::Instance().SetHttpEnabled(false);
    ProxySettings::Instance().SetSocksEnabled(false);
}

inline void UseHttpProxy(const char* host, uint16_t port, const char* user, const char* password)
{
    ProxySettings& settings = ProxySettings::Instance();
    settings.SetHttpEnabled(true);
    settings.SetHttpHost(host);
    settings.SetHttpPort(port);
    settings.SetHttpUser(user);
    settings.SetHttpPassword(password);
}

inline void UseSocksProxy(uint8_t version, const char* host, uint16_t port, const char* user,
                          const char* password)
{
    ProxySettings& settings = ProxySettings::Instance();
    settings.SetSocksEnabled(true);
    settings.SetSocksVersion(version);
    settings.SetSocksHost(host);
    settings.SetSocksPort(port);
    settings.SetSocksUser(user);
    settings.SetSocksPassword(password);
}

inline std::string ProxiesPath()
{
    char path[kFolderPathSize];
    GetPrefsFolder(path);
    ReplaceFileName(path, sizeof path, kProxiesFileName);
    return path;
}

// "http on|off HOST:PORT USER:PASSWORD, socks on|off VERSION HOST:PORT USER:PASSWORD"
inline std::string ProxyFields(const ProxySettings& s)
{
    char shown[512];
    std::snprintf(shown, sizeof shown, "http %s %s:%u %s:%s, socks %s %u %s:%u %s:%s",
                  s.HttpEnabled() ? "on" : "off", s.HttpHost(), s.HttpPort(), s.HttpUser(), s.HttpPassword(),
                  s.SocksEnabled() ? "on" : "off", s.SocksVersion(), s.SocksHost(), s.SocksPort(),
                  s.SocksUser(), s.SocksPassword());
    return shown;
}
