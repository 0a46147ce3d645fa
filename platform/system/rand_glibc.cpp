// The C library's rand() and srand() where that library is not glibc (the
// browser's, Windows'): glibc's generator, whose numbers the Linux build
// draws, in place of the library's own, so the scenes' random flicker and
// noise are the same frame for frame everywhere.
#include <cstdlib>

#include "system/glibc_random.h"

namespace {

platform::GlibcRandom& TheGenerator() {
    static platform::GlibcRandom generator = platform::SeededGlibcRandom(1);
    return generator;
}

}  // namespace

extern "C" void srand(unsigned seed) { TheGenerator() = platform::SeededGlibcRandom(seed); }

extern "C" int rand(void) { return platform::NextGlibcRandom(&TheGenerator()); }
