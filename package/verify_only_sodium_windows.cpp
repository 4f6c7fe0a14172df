// The Windows installer links only the signature check of libsodium, which
// draws no random numbers and needs no sodium_init. Its memory helpers
// (linked beside the hash) name the random source and the misuse handler
// all the same, and those would pull in sodium_init's machinery and
// RtlGenRandom, which Windows 2000 lacks. These stand in for the two: the
// check never calls them, and if anything ever did, the program stops rather
// than use numbers that are not random. Linked into the installer alone, never
// into the package tool, which makes keys.
#include <sodium/core.h>
#include <sodium/randombytes.h>

#include <cstdlib>

void randombytes_buf(void* const, const size_t) { std::abort(); }

void sodium_misuse(void) { std::abort(); }
