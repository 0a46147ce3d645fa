// Frames back to the CPU, for the capture, the benchmark and shots.
#pragma once

#include <vector>

#include "platform/options.h"
#include "present/context.h"

namespace platform::present {

// What takes the finished frames read back (the capture, the benchmark),
// registered at start-up; presentation knows them only through this.
enum class PixelOrder { kNone, kAny, kRgb, kRgba };
struct FrameReader {
    // The pixel order it takes this frame in, or kNone when it wants none; a
    // start-up frame is not a show frame.
    PixelOrder (*wants)(bool showFrame, bool musicStarted);
    // The frame's rows as GL reads them, bottom row first, tightly packed;
    // a reader that keeps the pixels leaves another buffer (or none) in their
    // place, and whatever is left is read into next frame.
    void (*take)(std::vector<uint8_t>* pixels, int widthPx, int heightPx, const FrameNote& frame);
};
void AddFrameReader(const FrameReader& reader);

// Reads the finished frame back for the readers that want it: it reaches
// them one frame later, so that GL draws the next frame meanwhile.
void ReadBackForReaders(PlatformContext* context, bool showFrame, bool musicStarted, const FrameNote& frame);
void FinishReadBacks(PlatformContext* context);
void SaveShots(PlatformContext* context, MusicPosition framePosition);
// Whether a frame at this position is the next shot.
bool ShotDueAt(MusicPosition framePosition);
bool AllShotsSaved();
// Shots are all a headless run makes: no capture, trace, benchmark or frame count.
bool RunMakesOnlyShots();

}  // namespace platform::present
