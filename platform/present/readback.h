// Frames back to the CPU, for the capture, the benchmark and shots.
#pragma once

#include "platform/options.h"
#include "present/context.h"

namespace platform::sdl {

void ReadBackAsync(PlatformContext* context, GLenum format, int scene);
void FinishReadBacks(PlatformContext* context);
void SaveShots(PlatformContext* context, MusicPosition framePosition);
// Whether a frame at this position is the next shot.
bool ShotDueAt(MusicPosition framePosition);
bool AllShotsSaved();
// Shots are all a headless run makes: no capture, trace, benchmark or frame count.
bool RunMakesOnlyShots();

}  // namespace platform::sdl
