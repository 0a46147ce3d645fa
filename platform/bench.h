// Figures of a headless benchmark run: time to the first scene frame, and
// per scene the frames, frames per second, median and 99th-percentile frame
// time, with every frame finished and read back as a capture would.
#pragma once

namespace platform::bench {

void Start();
void FramePresented(int scene);
void Report(bool json);

}  // namespace platform::bench
