// ProxySettings: the user's HTTP proxy (used for the package download) and
// SOCKS proxy (used for every other connection), one object per process,
// loaded from the "Proxies" file on first use and written back by the Proxy
// Settings dialog. No locks: the network code reads the fields on the update
// worker, and only the dialog on the user-interface thread writes them, while
// no worker runs.
#pragma once

#include <cstdint>

class ProxySettings {
public:
    // Every text field holds up to this many characters and a NUL.
    static const uint32_t kTextCapacity = 64;

    // The process-wide settings; the first call creates and loads them. The
    // object lives until the process ends.
    static ProxySettings& Instance();

    ProxySettings();
    virtual ~ProxySettings();

    // Writes the record when a setter changed something since the last load
    // or save. A failed write removes the file and keeps the changes pending.
    virtual void Save();
    // Reads the record; a missing or malformed one gives the defaults. Never
    // fails towards the caller.
    virtual void Load();
    // The defaults (no proxy, SOCKS 4), unless the fields are loaded already.
    virtual void Reset();

    // Turns off a proxy that is enabled without a host or a port.
    void DisableIncomplete();

    bool HttpEnabled() const { return httpEnabled; }
    const char* HttpHost() const { return httpHost; }
    uint16_t HttpPort() const { return httpPort; }
    const char* HttpUser() const { return httpUser; }
    const char* HttpPassword() const { return httpPassword; }
    bool SocksEnabled() const { return socksEnabled; }
    uint8_t SocksVersion() const { return socksVersion; }
    const char* SocksHost() const { return socksHost; }
    uint16_t SocksPort() const { return socksPort; }
    const char* SocksUser() const { return socksUser; }
    const char* SocksPassword() const { return socksPassword; }

    // Each setter stores a value that differs from the stored one and marks
    // the settings dirty. Texts are cut to 63 characters; null is the empty text.
    void SetHttpEnabled(bool value);
    void SetHttpHost(const char* value);
    void SetHttpPort(uint16_t value);
    void SetHttpUser(const char* value);
    void SetHttpPassword(const char* value);
    void SetSocksEnabled(bool value);
    void SetSocksVersion(uint8_t value);
    void SetSocksHost(const char* value);
    void SetSocksPort(uint16_t value);
    void SetSocksUser(const char* value);
    void SetSocksPassword(const char* value);

    bool IsLoaded() const { return loaded; }
    bool IsDirty() const { return dirty; }

private:
    template <typename Value>
    void SetValue(Value& field, Value value);
    void SetText(char* field, const char* value);

    bool loaded;
    bool dirty;
    bool httpEnabled;
    char httpHost[kTextCapacity];
    uint16_t httpPort;
    char httpUser[kTextCapacity];
    char httpPassword[kTextCapacity];
    bool socksEnabled;
    uint8_t socksVersion;
    char socksHost[kTextCapacity];
    uint16_t socksPort;
    char socksUser[kTextCapacity];
    char socksPassword[kTextCapacity];

    friend struct ProxiesRecord;
};
