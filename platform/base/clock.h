// The clock's side for the rest of the platform: swaps counted, the show
// clock started by the music, and the virtual clock a warp runs on.
#pragma once

#include <cstdint>

#include "base/sample_rate.h"
#include "platform/clock.h"

namespace platform::base {

// SDL's millisecond clock runs while its video does; before and after, the
// tick count of a real-time run stands at 0.
void WallClockRunning(bool running);
void CountSwap();          // the virtual clock of a headless run moves on a frame
// A real-time run warps on the virtual clock of a headless one; afterwards
// the tick count goes on from where the virtual clock stood.
void UseVirtualClock(bool on);
bool ClockIsVirtual();     // headless, or warping

void MusicStartedPlaying();          // the show clock starts now
bool MusicHasStarted();
uint64_t ShowSampleFramesNow();      // virtual clock: sample frames of show time so far
uint64_t ShowFramesNow();            // virtual clock: frames of show time so far
// A paused real-time run: the tick count and the show time stand still, and
// go on from there when released.
void HoldWallClock(bool held);
// The clock's counters, kept at a checkpoint of the virtual clock and put
// back for a seek (while the clock is virtual).
struct ClockReading {
    int64_t tickOffset;
    uint64_t swaps, swapsAtMusicStart;
    uint32_t ticksAtMusicStart;
    bool musicStarted;
};
ClockReading CurrentClock();
void RestoreClock(const ClockReading& reading);

// Moves the tick count so that the next reading is `ticks` (tests of wrap-around).
void SetTickCountForTest(uint32_t ticks);

}  // namespace platform::base
