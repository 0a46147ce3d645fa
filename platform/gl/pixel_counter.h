// The pixels a frame's draws shade, filed by the state each draw ran under.
// The fixed function's are counted by the GL driver itself, from the
// pipeline statistics of its desktop OpenGL context: each draw of a counted
// frame runs between two queries, the fragments it shaded and those that
// passed the depth test. The shader path's OpenGL ES context keeps no such
// counts: it gives each draw's covered area, worked out from its triangles
// on the CPU (coverage.h), for both. The benchmark counts a frame now and
// then and leaves it out of its frame times, as reading the counts stalls
// the driver.
#pragma once

#include <cstdint>

#include "platform/gl_types.h"

namespace platform::gl::pixels {

struct FramePixels {
    bool counted = false;     // the frame was counted (a context that keeps the statistics)
    // Fragment shader invocations as the driver counts them: llvmpipe runs
    // the shader on whole blocks of its SIMD width, so a draw's edges count
    // up to their blocks' lanes. The shader path: the pixels covered.
    uint64_t shaded = 0;
    // Pixels the draws covered that passed the depth test (all, where it is
    // off), exactly. The shader path: the pixels covered, depth unknown.
    uint64_t written = 0;
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
// Called by the fixed function's table around each draw; by either table at each clear.
void BeforeDraw();
void AfterDraw();
void Cleared(GLbitfield mask);
// The shader path's side: whether this frame is counted, whether its
// lists keep their positions on the CPU to be counted (a benchmark run),
// and a draw's covered pixels.
bool CountingNow();
bool KeepPositions();
void AddDrawnPixels(uint64_t pixels, bool blended, bool depthTested, bool textured);

}  // namespace platform::gl::pixels
