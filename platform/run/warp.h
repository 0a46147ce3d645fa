// The unseen frames' side for the rest of the platform (the public side is
// platform/warp.h).
#pragma once

#include "platform/options.h"
#include "platform/warp.h"

namespace platform::run {

// Whether the frame at `position`, about to be drawn, is seen; an unseen one
// is drawn without rasterising.
void StartFrame(int scene, MusicPosition position);
bool FrameUnseen();
// After a frame's swap: once a seek's frame has been drawn, the run leaves
// the virtual clock (see BeginSeek).
void AfterSeekFrame();

}  // namespace platform::run
