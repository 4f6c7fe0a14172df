// The process-wide MT19937 generator that supplies the update request nonces.
// Seeded once on the user-interface thread at start-up, then used only on the
// update worker; it holds no lock.
#pragma once

#include <cstdint>

void SeedRandom(uint32_t seed);
// The next output; seeds with 5489 first when SeedRandom was never called.
uint32_t NextRandom();
