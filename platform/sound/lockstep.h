// Sound in lock-step with the virtual clock (headless runs, and a real-time
// run's warp): channels decoded on the caller's thread up to the clock's
// time, each frame's sound handed to the capture and each sync called as its
// row starts, so every run gives the same frames.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/channels.h"

namespace platform::sound {

// What takes the lock-step's sound as it is decoded (the capture): the sound
// of the frames before each instant, in order. Set once at start-up.
void SetLockstepSoundTaker(void (*take)(const int16_t* stereo, size_t frames));
// Decodes every channel playing in lock-step up to the show's clock
// (`showSampleFrames`), delivering each sync of the elapsed span.
void AdvanceLockstep(uint64_t showSampleFrames);
// The frame heard: the last one decoded.
uint64_t LockstepHeardFrame(const Channel& ch);

}  // namespace platform::sound
