// The viewer's controls over the show, as a player has them: pause and
// resume, frame steps, seeks by order and by scene, loops, the overlay, and
// the run's own start, end and loop from the command line. Without a
// player's options every call here lets the show go on as it always has.
#pragma once

#include <cstdint>

#include "SceneFrame.h"
#include "platform/warp.h"

enum class PlayerStep { kGoOn, kHold, kSeek, kQuit };

// At the top of the frame loop: the player's keys, taken. kHold: paused, the
// frame shown stays (see HoldPausedFrame); kSeek: the scene ends for a seek
// to PlayerSeekTarget().
PlayerStep PlayerBeforeFrame(int scene);
// Before a frame at `position` is drawn: the run's end (--to) or a loop's
// end reached gives kQuit or kSeek.
PlayerStep PlayerBeforeDraw(MusicPosition position);
// After the frame is drawn and its position line printed: the frame noted
// for the steps and the overlay (with the milliseconds it took), and the
// overlay printed.
void PlayerAfterFrame(int scene, MusicPosition position, uint64_t showFrame, double drawMs, const char* positionLine);
// Paused: the frame shown is shown again with its text.
void HoldPausedFrame();
const platform::SeekTarget& PlayerSeekTarget();
// A seek to the moment shown (the data its frames depend on changed); false
// before any frame was shown.
bool PlayerSeeksToTheMomentShown();
// The show came to its end: true with a seek to make (--loop, or a loop
// running to the end), false when the run is over.
bool PlayerLoopsAtShowEnd();
// Where the run starts: the seek target of --at, or of the show's start in a
// run that keeps checkpoints.
platform::SeekTarget PlayerStartTarget();
// The benchmark's seeks: planned as the show starts, begun at its end (true
// with the first target), each after the one before has shown its frame.
void PlanBenchSeeks();
// What a page's timeline shows of the show: its scenes and the time of its
// orders, given as the show starts (before the music plays).
void DescribePlayerShow();
bool PlayerStartsBenchSeeks();
