// The "Proxies" record as a later run finds it. A record that reads must
// hold texts that fit their fields and write back to the same record.
#include "fuzz/fuzz_target.h"

#include "base/error_code.h"
#include "net/proxies_record.h"
#include "net/proxy_settings.h"
#include "base/memory_stream.h"

#include <cstring>
#include <vector>

namespace {

const char kTarget[] = "proxies-record";

bool Fits(const char* text) { return std::strlen(text) < ProxySettings::kTextCapacity; }

bool SameSettings(const ProxySettings& a, const ProxySettings& b)
{
    return a.HttpEnabled() == b.HttpEnabled() && !std::strcmp(a.HttpHost(), b.HttpHost()) &&
           a.HttpPort() == b.HttpPort() && !std::strcmp(a.HttpUser(), b.HttpUser()) &&
           !std::strcmp(a.HttpPassword(), b.HttpPassword()) && a.SocksEnabled() == b.SocksEnabled() &&
           a.SocksVersion() == b.SocksVersion() && !std::strcmp(a.SocksHost(), b.SocksHost()) &&
           a.SocksPort() == b.SocksPort() && !std::strcmp(a.SocksUser(), b.SocksUser()) &&
           !std::strcmp(a.SocksPassword(), b.SocksPassword());
}

}  // namespace

void FuzzProxiesRecord(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return;
    std::vector<uint8_t> bytes(data, data + size);
    MemoryStream stream;
    stream.Attach(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ProxySettings settings;
    try {
        ProxiesRecord::Read(stream, settings);
    } catch (ErrorCode code) {
        FUZZ_EXPECT(kTarget, code == kErrorMalformed);
        return;
    }
    FUZZ_EXPECT(kTarget, Fits(settings.HttpHost()) && Fits(settings.HttpUser()) &&
                             Fits(settings.HttpPassword()) && Fits(settings.SocksHost()) &&
                             Fits(settings.SocksUser()) && Fits(settings.SocksPassword()));
    MemoryStream written;
    ProxiesRecord::Write(written, settings);
    written.SeekTo(0);
    ProxySettings again;
    ProxiesRecord::Read(written, again);
    FUZZ_EXPECT(kTarget, SameSettings(settings, again));
}

void SeedProxiesRecord(std::vector<std::string>& out)
{
    ProxySettings settings;
    settings.Reset();
    settings.SetHttpEnabled(true);
    settings.SetHttpHost("proxy.quorvalent.test");
    settings.SetHttpPort(3128);
    settings.SetHttpUser("user");
    settings.SetHttpPassword("secret");
    settings.SetSocksEnabled(true);
    settings.SetSocksVersion(5);
    settings.SetSocksHost("socks.quorvalent.test");
    settings.SetSocksPort(1080);
    MemoryStream stream;
    ProxiesRecord::Write(stream, settings);
    out.emplace_back(reinterpret_cast<const char*>(stream.GetBuffer()), stream.GetSize());
    ProxySettings empty;
    empty.Reset();
    MemoryStream short_stream;
    ProxiesRecord::Write(short_stream, empty);
    out.emplace_back(reinterpret_cast<const char*>(short_stream.GetBuffer()), short_stream.GetSize());
}
