// Figures of a headless benchmark run: time to the first scene frame, and
// per scene the frames, frames per second, median and 99th-percentile frame
// time, with every frame finished and read back as a capture would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/options.h"

namespace platform::bench {

void Start();
// A frame read back: its scene (0 for start-up), position and number.
void FramePresented(int scene, MusicPosition position, uint64_t presented, const std::vector<uint8_t>& pixels);
void Report(bool json);

// Seeks timed after the show: their targets, planned before the show plays,
// so that the first frame at or after each is kept (a hash of its pixels)
// as the show passes it; then each seek from its start to its first frame
// shown (the `presented`-th), and whether that frame is the whole run's.
// The checkpoints they go on from are said with them.
void PlanSeeks(const std::vector<MusicPosition>& targets);
void SeekStarted(size_t target);
void SeekShown(uint64_t presented);
void NoteCheckpoints(size_t count, size_t bytes);

}  // namespace platform::bench

namespace platform::bench {

// Capture speed at 640x480, 1080p and 2160p, each measured by two runs of
// this program on the show's every tenth frame (6 fps): rendered and read
// back, then captured to H.264 and AAC. Printed as figures for 60 fps, with
// the encoders' share of the CPU time and the capture's peak memory. With a
// frame limit (--frames) the runs sample only that stretch of the show.
void ReportCaptureSpeeds(const std::string& dataDir, bool json, int frameLimit);

}  // namespace platform::bench
