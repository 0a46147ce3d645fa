// What the frames cost, counted as they are made, for the benchmark: the
// work asked of the GL driver (draws, state changes, buffer and texture
// uploads) and the wall time of each step of a frame. Plain running totals;
// the benchmark takes the difference from one frame to the next.
#pragma once

#include <cstdint>

namespace platform::base::costs {

// A frame's steps, in the order they run:
enum Step {
    kTick,      // the scene's ticks (and the look at the messages before them)
    kDraw,      // the scene's drawing calls, up to SwapBuffers
    kFlush,     // the driver's flush at SwapBuffers
    kText,      // the multisampled surface resolved, the text drawn and taken away again
    kFinish,    // the wait for the driver to have drawn a frame read back, when its pixels are taken
    kReadBack,  // the rest of reading the frame back from GL and handing it on
    kPresent,   // the frame put on screen
    kStepCount,
};

struct Totals {
    uint64_t draws = 0;          // draw calls the driver gets
    uint64_t stateChanges = 0;   // program, uniform, switch, texture and vertex array changes
    uint64_t bufferUploads = 0;  // vertex, index and texture data handed to the driver
    double stepMs[kStepCount] = {};
};

// The totals since the program started.
Totals& Counted();

// The time since the last step ended goes to `step`.
void EndStep(Step step);

}  // namespace platform::base::costs
