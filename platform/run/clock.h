// The clock's side for the rest of the platform: swaps counted, the show
// clock started by the music, and the ticks a warp stands in for.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "sound/sample_rate.h"

namespace platform::sdl {

void CountSwap();          // the virtual clock of a headless run moves on a frame
uint64_t Swaps();
void SetSwaps(uint64_t swaps, uint64_t framesBeforeMusic);  // where a warp leaves the clock
uint32_t RawTicks();       // the tick count before any test offset
void ShiftTicks(int64_t ms);
// While a warp runs, the tick count is the warp's, pushed in frame by frame.
void HoldTicks(uint32_t ticks);
void ReleaseTicks();

void MusicStartedPlaying();          // the show clock starts now
bool MusicHasStarted();
uint64_t ShowSampleFramesNow();      // headless: sample frames of show time so far

}  // namespace platform::sdl
