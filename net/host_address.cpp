#include "net/host_address.h"

#include <windows.h>

#include <cstdio>

#include "base/error_code.h"

uint32_t ResolveHostAddress(const char* name)
{
    unsigned long numeric = inet_addr(name);
    if (numeric != INADDR_NONE)
        return ntohl(numeric);
    // An empty name would make gethostbyname answer with this machine's own
    // address, which is never what an empty host in a URL or setting means.
    const hostent* entry = name[0] ? gethostbyname(name) : nullptr;
    if (!entry || entry->h_length != 4 || !entry->h_addr_list || !entry->h_addr_list[0]) {
        WSASetLastError(WSAEINVAL);
        throw ErrorCode(kErrorConnection);
    }
    uint32_t networkOrder = 0;
    memcpy(&networkOrder, entry->h_addr_list[0], sizeof networkOrder);
    return ntohl(networkOrder);
}

int FormatIPv4(char* out, uint32_t address)
{
    return std::sprintf(out, "%d.%d.%d.%d", static_cast<int>(address >> 24),
                        static_cast<int>((address >> 16) & 0xFF),
                        static_cast<int>((address >> 8) & 0xFF), static_cast<int>(address & 0xFF));
}
