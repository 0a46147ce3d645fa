// The C library's rand() and srand() overridden where that library is not
// glibc (a browser's, Windows'): glibc's generator (glibc_random.h), whose
// numbers the Linux build draws, in place of the library's own, so the scenes' random flicker and
// noise are the same frame for frame everywhere.
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
