// The C library's rand() and srand() overridden on every host by glibc's
// generator (glibc_random.h): the numbers Linux's glibc draws, so the scenes'
// random flicker and noise are the same frame for frame everywhere, and a
// state of our own, which a checkpoint keeps and a seek puts back.
#include <cstdlib>

#include "system/glibc_random.h"

namespace {

platform::system::GlibcRandom& TheGenerator() {
    static platform::system::GlibcRandom generator = platform::system::SeededGlibcRandom(1);
    return generator;
}

}  // namespace

extern "C" void srand(unsigned seed) { TheGenerator() = platform::system::SeededGlibcRandom(seed); }

extern "C" int rand(void) { return platform::system::NextGlibcRandom(&TheGenerator()); }

namespace platform::system {

GlibcRandom CRandomState() { return TheGenerator(); }
void SetCRandomState(const GlibcRandom& state) { TheGenerator() = state; }

}  // namespace platform::system
