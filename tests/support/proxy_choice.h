// Sets the process-wide proxy settings for a network test; every call sets
// all fields of the proxy it names, so tests do not depend on one another.
#pragma once

#include <cstdint>

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
