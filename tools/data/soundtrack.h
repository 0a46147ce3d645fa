// The show's module, composed and synthesised by the generator.
#pragma once

#include <cstdint>
#include <vector>

namespace gen {

// The bytes of "biisi.xm"; the same on every run.
std::vector<uint8_t> MakeSoundtrack();

}  // namespace gen
