// The unseen frames' side for the rest of the platform (the public side is
// platform/warp.h).
#pragma once

#include "platform/options.h"
#include "platform/warp.h"

namespace platform::run {

// Whether the frame at `position`, about to be drawn, is seen; an unseen one
// is drawn without rasterising.
void StartFrame(MusicPosition position);
bool FrameUnseen();

}  // namespace platform::run
