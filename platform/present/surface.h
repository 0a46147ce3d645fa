// The drawing surface of a context (the framebuffer object the program draws
// into, standing for the window's client area) and its presentation on screen.
#pragma once

#include <cstdint>

#include "platform/options.h"
#include "present/context.h"

namespace platform::present {

bool CreateSurface(PlatformContext* context, int depthBits);
void DestroySurface(PlatformContext* context);
void LatchFrame();        // a swap: the frame is shown at the next pump or swap
void DropLatchedFrame();
bool PresentPending();    // shows the latched frame with its text; false when none was latched
void NoteFramePosition(int scene, MusicPosition position);
uint64_t PresentedFrames();
// A headless run has made all it was asked for: its --frames frames of the
// show, or, when shots are all it makes, its last shot.
bool RunHasMadeItsOutputs();
// Time between frames put on screen, smoothed; 0 until two have been shown
// (and always when headless).
int64_t FramePeriodUs();
// The size of the frames the drawing surface gives a capture or a shot.
void FrameSizePx(int* widthPx, int* heightPx);
// The viewport, the scissor and the line width as the program last set them
// (in window pixels), to keep and to put back.
struct SurfaceCalls {
    GLint viewport[4] = {0, 0, 0, 0};
    GLint scissor[4] = {0, 0, 0, 0};
    GLfloat lineWidthPx = 1;
};
SurfaceCalls CurrentSurfaceCalls();
void RestoreSurfaceCalls(const SurfaceCalls& calls);

}  // namespace platform::present
