// IPv4 host addresses: resolving a name or dotted text, and printing one.
#pragma once

#include <cstdint>

// The IPv4 address of a dotted numeric text (used as it is, never looked up)
// or else of a host name (gethostbyname, first address), in host byte order.
// A name that does not resolve, or not within the connect limit of
// CurrentNetTiming, and the empty name, throw -1 with the system's last error
// set to 10022 (WSAEINVAL). Blocks during the lookup, for the connect limit
// at most; any thread once the socket layer is initialised.
uint32_t ResolveHostAddress(const char* name);

// Writes the host-order address as "%d.%d.%d.%d", most significant byte first,
// into out (at least 16 bytes) and returns the count of characters written.
int FormatIPv4(char* out, uint32_t address);
