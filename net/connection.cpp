#include "net/connection.h"

#include <cstring>

#include "base/text.h"
#include "net/milli_clock.h"
#include "net/proxy_settings.h"
#include "net/socks.h"

Connection::Connection() : closed(false), localAddress(0), peerAddress(0) {}

Connection::~Connection() = default;

void Connection::WriteBlock(const void* data, uint32_t length) { Write(data, length); }

void Connection::ReadExactly(void* buffer, uint32_t length)
{
    uint8_t* bytes = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < length) done += Read(bytes + done, length - done);
}

void Connection::ReadExactlyWithin(void* buffer, uint32_t length, uint32_t start, uint32_t budgetMs)
{
    uint8_t* bytes = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < length) {
        WaitUntilReadable(start, budgetMs);
        done += Read(bytes + done, length - done);
    }
}

void Connection::WriteString(const char* text) { Write(text, static_cast<uint32_t>(std::strlen(text))); }

uint32_t Connection::ReadLineBytes(char* buffer, uint32_t, uint32_t) { return Read(buffer, 1); }

void Connection::ReadLineWithinBudget(char* buffer, uint32_t size)
{
    if (size == 0)
        return;
    uint32_t start = NetClock();
    uint32_t remaining = size - 1;
    char* next = buffer;
    while (remaining != 0) {
        WaitUntilReadable(start, kLineBudgetMs);
        uint32_t received = ReadLineBytes(next, remaining, start);
        next += received;
        remaining -= received;
        if (received != 0 && next[-1] == '\n')
            break;
    }
    *next = '\0';
}

void Connection::ConnectVia(const char* host, uint16_t port)
{
    const ProxySettings& settings = ProxySettings::Instance();
    bool toHttpProxy = settings.HttpEnabled() && port == settings.HttpPort() &&
                       CompareNoCase(host, settings.HttpHost()) == 0;
    if (!settings.SocksEnabled() || toHttpProxy) {
        Connect(host, port);
        return;
    }
    // The destination is resolved here, before the proxy is contacted: the
    // proxy is always given an address, never a name.
    uint32_t address = ResolveHost(host);
    Connect(settings.SocksHost(), settings.SocksPort());
    if (settings.SocksVersion() == 4)
        NegotiateSocks4(*this, address, port);
    else
        NegotiateSocks5(*this, address, port, settings.SocksUser(), settings.SocksPassword());
}
