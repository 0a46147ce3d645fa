// The show's clock as the program above the platform sees it.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds of show time: since the music was told to play (0 before).
uint32_t ShowTimeMs();

}  // namespace platform
