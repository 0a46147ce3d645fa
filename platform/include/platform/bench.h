// Figures of a headless benchmark run: time to the first scene frame, and
// per scene the frames, frames per second, median and 99th-percentile frame
// time, with every frame finished and read back as a capture would.
#pragma once

#include <cstddef>
#include <string>

namespace platform::bench {

void Start();
void FramePresented(int scene);
void Report(bool json);

// Seeks timed after the show: each from its start to its first frame
// presented; the checkpoints they go on from are said with them.
void SeekStarted();
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
