// Sound in lock-step with the virtual clock (headless runs, and a real-time
// run's warp): channels decoded on the caller's thread up to the clock's
// time, each frame's sound handed to the capture and each sync called as its
// row starts, so every run gives the same frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

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

// Where a channel's lock-step decoding stands at an instant: the frames
// decoded, the last row started and the syncs still waiting. Kept at a
// checkpoint; putting it back moves the decoder to the start of that row and
// decodes on to the frame, unheard, so the rows and syncs that follow are
// the ones a whole run meets. The channel decodes in lock-step from then on.
struct LockstepReading {
    bool playing = false;
    uint64_t decoded = 0;
    bool hasRow = false;
    RowStart row{0, 0, 0};
    std::deque<PendingSync> pending;
    int16_t instantSound[2] = {0, 0};
    bool instantHeld = false;
    DWORD startPosition = 0;
};
LockstepReading CurrentLockstep(const Channel& ch);
void RestoreLockstep(Channel& ch, const LockstepReading& reading);

}  // namespace platform::sound
