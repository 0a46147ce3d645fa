// Shared between the platform's own files, never included above the platform.
#pragma once

#include <cstdint>

namespace platform::internal {

constexpr int kSampleRate = 44100;

// The window and music halves tell each other about the clock of the run.
void MusicStartedPlaying();          // the show clock starts now
bool MusicHasStarted();
uint64_t ShowSampleFramesNow();      // headless: sample frames of show time so far
bool Headless();
bool Warping();
uint32_t WarpPosition();  // order | row << 16
// Time between frames put on screen, smoothed; 0 until two have been shown
// (and always when headless). Read from any thread.
int64_t FramePeriodUs();
// The size of the frames the drawing surface gives a capture or a shot.
void FrameSizePx(int* widthPx, int* heightPx);

}  // namespace platform::internal
