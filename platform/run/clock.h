// The clock's side for the rest of the platform: swaps counted, the show
// clock started by the music, and the virtual clock a warp runs on.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "sound/sample_rate.h"

namespace platform::sdl {

void CountSwap();          // the virtual clock of a headless run moves on a frame
// A real-time run warps on the virtual clock of a headless one; afterwards
// the tick count goes on from where the virtual clock stood.
void UseVirtualClock(bool on);
bool ClockIsVirtual();     // headless, or warping

void MusicStartedPlaying();          // the show clock starts now
bool MusicHasStarted();
uint64_t ShowSampleFramesNow();      // virtual clock: sample frames of show time so far

}  // namespace platform::sdl
