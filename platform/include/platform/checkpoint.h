// What the platform holds that the show's next frame depends on, kept at a
// checkpoint and put back for a seek: the clock's counters, the random
// generator, the GL state set (and the viewport, scissor and line width),
// and where the music's decoding stands with its syncs still waiting. The
// program keeps its own side (the scenes' variables, the engine, the flags)
// beside it.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/win32.h"

namespace platform {

struct RunCheckpoint;

// Taken between two frames of a run on the virtual clock (headless, or a
// seek's unseen frames).
std::shared_ptr<const RunCheckpoint> SaveRunState(DWORD music);
// Put back at the start of a seek (after BeginSeek).
void RestoreRunState(const RunCheckpoint& checkpoint, DWORD music);
// What a checkpoint takes in memory.
size_t RunCheckpointBytes(const RunCheckpoint& checkpoint);

}  // namespace platform
