// The C library's rand() and srand() in the browser build: glibc's
// generator, whose numbers the desktop build draws, in place of the
// browser's C library's own.
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
