// Unseen frames: the scenes before a chosen first scene, and the frames a
// shot does not take.
#pragma once

#include <cstdint>

#include "platform/options.h"

namespace platform {

// From BeginWarp to EndWarp the scenes before the chosen first one run every
// frame of a full run, unseen and unheard: nothing is shown, captured or
// traced, and the drawing is not rasterised, but every drawing call is made,
// so the random numbers the drawing takes, the scenes' state, the GL state
// and the sync flags are what a full run leaves. The music plays from the
// start, decoded in lock-step with the virtual clock, so every position read
// and every sync is a full run's. A real-time run warps on the virtual clock
// of a headless run at its frame rate; afterwards its tick count goes on from
// there and the music is heard from the start of `firstOrder`.
void BeginWarp();
void EndWarp(uint32_t music, uint32_t firstOrder);

// A seek: from BeginSeek the frames run unseen and unheard on the virtual
// clock, as a warp's (the program puts a checkpoint back first), up to the
// first frame at or after the target, a frame of the show's virtual clock
// or a music position: that frame is seen, all of it a headless run's, and
// after its swap a real-time run goes on in real time, the music heard from
// where its decoding then stands.
struct SeekTarget {
    bool byFrame = false;
    uint64_t frame = 0;
    MusicPosition position{0, 0};
    int scene = 0;      // with a position: the frame is drawn by this scene or a later one
    bool heard = true;  // real time: the music is heard from the target on (false: paused there)
};
void BeginSeek(uint32_t music, const SeekTarget& target);
bool Seeking();
// Frames of show time on the virtual clock so far (in real time, the frames
// a headless run would have drawn by now).
uint64_t ShowFrameNow();
// A run whose only output is shots draws the frames they do not take in the
// same way, unseen. Every scene draws its whole picture every frame, so the
// first frame seen is a full run's though none before it was rasterised.

}  // namespace platform
