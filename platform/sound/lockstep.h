// Headless sound: channels decoded in lock-step with the virtual clock, each
// frame's sound handed to the capture and each sync called on the caller's
// thread as its row starts, so every run gives the same frames.
#pragma once

#include <cstdint>

#include "sound/channels.h"

namespace platform::sound {

// The channel starts at the show's clock, which stands past the module's
// start after a warp; what lies before it is decoded unheard.
void StartLockstep(Channel& ch, uint64_t showSampleFrames);
// Decodes every playing channel up to the show's clock (`showSampleFrames`),
// delivering each sync of the elapsed span.
void AdvanceLockstep(uint64_t showSampleFrames);
// The frame heard: the last one decoded.
uint64_t LockstepHeardFrame(const Channel& ch);

}  // namespace platform::sound
