// The warp's side for the rest of the platform (the public side is
// platform/warp.h).
#pragma once

#include <cstdint>

#include "platform/warp.h"

namespace platform::sdl {

bool Warping();
uint32_t WarpPosition();  // order | row << 16
void StartWarpFrame();    // at each look at the messages while warping
void WarpSwap();

}  // namespace platform::sdl
