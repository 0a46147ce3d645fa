// glibc's rand() (see glibc_random.h).
#include "system/glibc_random.h"

namespace platform::system {

GlibcRandom SeededGlibcRandom(unsigned seed) {
    int32_t r[344];
    r[0] = static_cast<int32_t>(seed == 0 ? 1 : seed);
    for (int i = 1; i < 31; ++i) {
        int64_t value = (16807LL * r[i - 1]) % 2147483647;
        r[i] = static_cast<int32_t>(value < 0 ? value + 2147483647 : value);
    }
    for (int i = 31; i < 34; ++i) r[i] = r[i - 31];
    for (int i = 34; i < 344; ++i)
        r[i] = static_cast<int32_t>(static_cast<uint32_t>(r[i - 31]) + static_cast<uint32_t>(r[i - 3]));
    GlibcRandom generator;
    for (int i = 0; i < 34; ++i) generator.words[i] = static_cast<uint32_t>(r[310 + i]);
    return generator;
}

// The oldest word is 34 back: the one 31 back is 3 after it, the one 3 back 31 after it.
int NextGlibcRandom(GlibcRandom* g) {
    uint32_t value = g->words[(g->oldest + 3) % 34] + g->words[(g->oldest + 31) % 34];
    g->words[g->oldest] = value;
    g->oldest = (g->oldest + 1) % 34;
    return static_cast<int>(value >> 1);
}

}  // namespace platform::system
