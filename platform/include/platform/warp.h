// Unseen frames: the scenes before a chosen first scene, and the frames a
// shot does not take.
#pragma once

#include <cstdint>

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
// A run whose only output is shots draws the frames they do not take in the
// same way, unseen. Every scene draws its whole picture every frame, so the
// first frame seen is a full run's though none before it was rasterised.

}  // namespace platform
