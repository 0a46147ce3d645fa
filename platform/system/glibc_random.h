// glibc's rand() as plain arithmetic: its additive feedback generator (31
// words seeded by 16807 x mod 2^31 - 1, the first 310 outputs discarded,
// each output the sum of the words 31 and 3 places back, shifted right by
// one). Where the C library is not glibc (a browser's, Windows'), the
// program's rand() is this generator (libc_rand_override.cpp), so that the
// scenes' flicker and noise there are Linux's, frame for frame.
#pragma once

#include <cstdint>

namespace platform::system {

struct GlibcRandom {
    uint32_t words[34];  // the last 34 values, a ring
    int oldest = 0;      // where the next value goes
};

GlibcRandom SeededGlibcRandom(unsigned seed);
int NextGlibcRandom(GlibcRandom* generator);

}  // namespace platform::system
