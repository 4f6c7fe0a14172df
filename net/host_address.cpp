#include "net/host_address.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "base/error_code.h"
#include "net/milli_clock.h"

namespace {

// One name lookup, shared by the thread that waits for it and the helper
// thread that runs it; the last of the two to let go deletes it.
struct Lookup {
    LONG holders;
    bool resolved;
    uint32_t address;
    // A URL's host has at most 511 characters.
    char name[512];
};

void LetGo(Lookup* lookup)
{
    if (InterlockedDecrement(&lookup->holders) == 0)
        delete lookup;
}

DWORD WINAPI RunLookup(void* parameter)
{
    Lookup* lookup = static_cast<Lookup*>(parameter);
    const hostent* entry = gethostbyname(lookup->name);
    if (entry && entry->h_length == 4 && entry->h_addr_list && entry->h_addr_list[0]) {
        uint32_t networkOrder = 0;
        memcpy(&networkOrder, entry->h_addr_list[0], sizeof networkOrder);
        lookup->address = ntohl(networkOrder);
        lookup->resolved = true;
    }
    LetGo(lookup);
    return 0;
}

// gethostbyname blocks for as long as the resolver takes, which may be for
// ever: it runs on a helper thread, and a lookup not done within limitMs is
// left to end on its own, touching nothing but its Lookup.
bool LookUpWithinLimit(const char* name, uint32_t limitMs, uint32_t& address)
{
    Lookup* lookup = new (std::nothrow) Lookup{2, false, 0, {}};
    if (!lookup || std::strlen(name) >= sizeof lookup->name) {
        delete lookup;
        return false;
    }
    std::strcpy(lookup->name, name);
    HANDLE thread = CreateThread(nullptr, 0, RunLookup, lookup, 0, nullptr);
    if (!thread) {
        delete lookup;
        return false;
    }
    // The lookup's fields are read only once its thread has ended.
    bool resolved = WaitForSingleObject(thread, limitMs) == WAIT_OBJECT_0 && lookup->resolved;
    if (resolved)
        address = lookup->address;
    CloseHandle(thread);
    LetGo(lookup);
    return resolved;
}

}  // namespace

uint32_t ResolveHostAddress(const char* name)
{
    unsigned long numeric = inet_addr(name);
    if (numeric != INADDR_NONE)
        return ntohl(numeric);
    // An empty name would make gethostbyname answer with this machine's own
    // address, which is never what an empty host in a URL or setting means.
    uint32_t address = 0;
    if (!name[0] || !LookUpWithinLimit(name, CurrentNetTiming().connectMs, address)) {
        WSASetLastError(WSAEINVAL);
        throw ErrorCode(kErrorConnection);
    }
    return address;
}

int FormatIPv4(char* out, uint32_t address)
{
    return std::sprintf(out, "%d.%d.%d.%d", static_cast<int>(address >> 24),
                        static_cast<int>((address >> 16) & 0xFF), static_cast<int>((address >> 8) & 0xFF),
                        static_cast<int>(address & 0xFF));
}
