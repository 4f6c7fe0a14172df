// liblzma's header for a Winelib build. The library is the host's own ELF
// library with the host's calling convention; seeing _WIN32, the header
// would declare its functions __cdecl, which Winelib makes the Windows
// calling convention, and every call would pass its arguments wrongly.
#pragma once

#define LZMA_API_CALL
#include <lzma.h>
