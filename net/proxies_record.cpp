#include "net/proxies_record.h"

#include <cstring>

#include "base/data_stream.h"
#include "base/error_code.h"
#include "net/proxy_settings.h"

const char kProxiesFileName[] = "Proxies";
const uint8_t ProxiesRecord::kFirstMagic[4] = {'Q', 'V', 'q', 'v'};
const uint8_t ProxiesRecord::kSecondMagic[4] = {'P', 'r', 'o', 'x'};

namespace {

void ExpectMagic(DataStream& stream, const uint8_t (&magic)[4])
{
    uint8_t read[4];
    stream.Read(read, sizeof read);
    if (std::memcmp(read, magic, sizeof read) != 0)
        throw ErrorCode(kErrorMalformed);
}

}  // namespace

void ProxiesRecord::Read(DataStream& stream, ProxySettings& settings)
{
    ExpectMagic(stream, kFirstMagic);
    ExpectMagic(stream, kSecondMagic);
    if (stream.ReadU32() != kVersion)
        throw ErrorCode(kErrorMalformed);
    const uint32_t capacity = ProxySettings::kTextCapacity;
    settings.httpEnabled = stream.ReadU8() != 0;
    stream.ReadPString(settings.httpHost, capacity);
    settings.httpPort = stream.ReadU16();
    stream.ReadPString(settings.httpUser, capacity);
    stream.ReadPString(settings.httpPassword, capacity);
    settings.socksEnabled = stream.ReadU8() != 0;
    settings.socksVersion = stream.ReadU8();
    stream.ReadPString(settings.socksHost, capacity);
    settings.socksPort = stream.ReadU16();
    stream.ReadPString(settings.socksUser, capacity);
    stream.ReadPString(settings.socksPassword, capacity);
}

void ProxiesRecord::Write(DataStream& stream, const ProxySettings& settings)
{
    stream.Write(kFirstMagic, sizeof kFirstMagic);
    stream.Write(kSecondMagic, sizeof kSecondMagic);
    stream.WriteU32(kVersion);
    stream.WriteU8(settings.httpEnabled ? 1 : 0);
    stream.WritePString(settings.httpHost);
    stream.WriteU16(settings.httpPort);
    stream.WritePString(settings.httpUser);
    stream.WritePString(settings.httpPassword);
    stream.WriteU8(settings.socksEnabled ? 1 : 0);
    stream.WriteU8(settings.socksVersion);
    stream.WritePString(settings.socksHost);
    stream.WriteU16(settings.socksPort);
    stream.WritePString(settings.socksUser);
    stream.WritePString(settings.socksPassword);
}
