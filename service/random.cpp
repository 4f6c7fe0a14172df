#include "service/random.h"

namespace {

const int kStateWords = 624;
const int kShift = 397;

struct Generator {
    uint32_t state[kStateWords];
    int next;
    bool seeded;
};

Generator g_generator = {{}, kStateWords, false};

void Regenerate()
{
    uint32_t* s = g_generator.state;
    for (int i = 0; i < kStateWords; ++i) {
        uint32_t y = (s[i] & 0x80000000u) | (s[(i + 1) % kStateWords] & 0x7fffffffu);
        s[i] = s[(i + kShift) % kStateWords] ^ (y >> 1) ^ ((y & 1u) ? 0x9908b0dfu : 0u);
    }
    g_generator.next = 0;
}

}  // namespace

void SeedRandom(uint32_t seed)
{
    uint32_t* s = g_generator.state;
    s[0] = seed;
    for (uint32_t i = 1; i < kStateWords; ++i) s[i] = 1812433253u * (s[i - 1] ^ (s[i - 1] >> 30)) + i;
    g_generator.next = kStateWords;
    g_generator.seeded = true;
}

uint32_t NextRandom()
{
    if (!g_generator.seeded)
        SeedRandom(5489u);
    if (g_generator.next >= kStateWords)
        Regenerate();
    uint32_t y = g_generator.state[g_generator.next++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}
