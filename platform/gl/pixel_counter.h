// The pixels a frame's draws shade, counted by the GL driver itself where
// its context keeps pipeline statistics (a desktop OpenGL context, which the
// fixed function draws on): each draw of a counted frame runs between two
// queries, the fragments it shaded and those that passed the depth test,
// filed by the state it ran under. The benchmark counts a frame now and then
// and leaves it out of its frame times, as reading the counts stalls the driver.
#pragma once

#include <cstdint>

#include "platform/gl_types.h"

namespace platform::gl::pixels {

struct FramePixels {
    bool counted = false;     // the frame was counted (a context that keeps the statistics)
    // Fragment shader invocations as the driver counts them: llvmpipe runs
    // the shader on whole blocks of its SIMD width, so a draw's edges count
    // up to their blocks' lanes.
    uint64_t shaded = 0;
    uint64_t written = 0;     // pixels the draws covered that passed the depth test (all, where it is off): exact
    uint64_t blended = 0;     // of them, written with blending on
    uint64_t depthTested = 0; // written with the depth test on
    uint64_t textured = 0;    // written with a 2D texture on
    uint64_t cleared = 0;     // pixels the clears filled (colour or depth)
};

// Counts the draws of every nth frame presented (frame numbers that n
// divides, the first excepted); 0 counts none. Where the context keeps no
// statistics nothing is counted.
void CountEveryNthFrame(uint64_t n);
// The frame numbered `presented` is drawn (called before anything else is
// drawn over it): its counts, if it was counted, are read (waiting for the
// driver) and kept for TakeCountedFrame.
void FrameDrawn(uint64_t presented);
// The counts of the frame numbered `presented`, when it was counted.
bool TakeCountedFrame(uint64_t presented, FramePixels* pixels);
// Called by the drawing table around each draw, and at each clear.
void BeforeDraw();
void AfterDraw();
void Cleared(GLbitfield mask);

}  // namespace platform::gl::pixels
