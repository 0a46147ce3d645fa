// Checkpoints of the show on the virtual clock, and seeks that go on from
// them. A checkpoint holds all the next frame depends on: the scene and its
// variables, the engine's settings, the sync flags, the values the scenes
// hand on, the glyph the cube letters rewrite, the tick timer, and the
// platform's side (the clock, the random generator, the GL state, the
// music's decoding). A seek puts the nearest checkpoint before its target
// back and runs the frames from there to the target unseen, so the target's
// frame is the one a whole run draws there.
#pragma once

#include <cstddef>
#include <cstdint>

#include "SceneFrame.h"
#include "platform/warp.h"

// Whether this run keeps checkpoints: a player's, one that loops or starts
// at --at, and the benchmark's (it times seeks).
bool KeepsCheckpoints();
// At the top of a scene's frame loop: the checkpoint of this instant, when
// one is due and the frames so far are a whole run's (the virtual clock).
void KeepCheckpointIfDue(const SceneFrame& frame);
// After each frame drawn: its position (a checkpoint after it serves the
// seeks to later positions).
void NoteFrameDrawn(MusicPosition position);
// Starts a seek to `target` from the nearest checkpoint before it and
// returns the scene whose frames go on from there (its loop puts the
// checkpoint back as it starts); 1 when there is none yet, the show from its start.
int StartSeek(const platform::SeekTarget& target);
// At the start of a scene's frame loop: the checkpoint a seek chose, put back.
void PutBackChosenCheckpoint(const SceneFrame& frame);
// The data the frames depend on changed: only the show's start is kept.
void DropCheckpointsAfterStart();
// How many checkpoints are kept, and their memory.
size_t CheckpointCount();
size_t CheckpointBytes();
