// glibc's rand() as plain arithmetic: its additive feedback generator (31
// words seeded by 16807 x mod 2^31 - 1, the first 310 outputs discarded,
// each output the sum of the words 31 and 3 places back, shifted right by
// one). The program's rand() is this generator on every host
// (libc_rand_override.cpp), so that the scenes' flicker and noise are
// Linux's everywhere, frame for frame, and its state can be kept.
#pragma once

#include <cstdint>

namespace platform::system {

struct GlibcRandom {
    uint32_t words[34];  // the last 34 values, a ring
    int oldest = 0;      // where the next value goes
};

GlibcRandom SeededGlibcRandom(unsigned seed);
int NextGlibcRandom(GlibcRandom* generator);

// The state of the program's rand(), to keep and to put back.
GlibcRandom CRandomState();
void SetCRandomState(const GlibcRandom& state);

}  // namespace platform::system
