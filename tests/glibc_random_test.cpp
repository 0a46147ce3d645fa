// The browser build's rand(): glibc's generator, number for number, from
// its default seed and from others (checked against this machine's glibc).
#include <gtest/gtest.h>

#include <cstdlib>

#include "system/glibc_random.h"

namespace {

TEST(GlibcRandomTest, DrawsGlibcsNumbersFromTheDefaultSeedAndFromOthers) {
    for (unsigned seed : {1u, 0u, 12345u, 4294967295u}) {
        std::srand(seed);
        platform::system::GlibcRandom generator = platform::system::SeededGlibcRandom(seed);
        for (int i = 0; i < 100000; ++i) ASSERT_EQ(platform::system::NextGlibcRandom(&generator), std::rand()) << "seed " << seed << ", number " << i;
    }
}

}  // namespace
