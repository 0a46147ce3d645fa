// What the files behind win32.h and runtime.h share with each other: the
// window and GL context records, and one entry point or two of each concern
// (windows, messages, GL context, drawing surface, read-back, GDI text,
// clock, warp). Included only by those files; it exposes SDL to them.
#pragma once

#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdint>
#include <vector>

#include "platform/runtime.h"
#include "platform/win32.h"

struct PlatformWindow {
    SDL_Window* sdl = nullptr;
    WNDPROC procedure = nullptr;
    int width = 0;   // the client area as the program sees it, in window pixels
    int height = 0;
    bool alive = true;
    bool fullscreen = false;
};

// Where the program's window pixels lie on the drawing surface. The surface
// may have more pixels than the window (a higher internal resolution), and the
// picture may lie inside a larger frame or reach past its edges.
struct SurfaceLayout {
    int widthPx = 0, heightPx = 0;                // the surface
    int pictureXPx = 0, pictureYPx = 0;           // the picture's bottom-left corner on it
    int pictureWidthPx = 0, pictureHeightPx = 0;  // the window's client area, scaled
};

// A GL context and the surface it draws into (see surface.cpp).
struct PlatformContext {
    SDL_GLContext sdl = nullptr;
    PlatformWindow* window = nullptr;
    SurfaceLayout layout;
    int samples = 0;                  // multisampled surface when above 0
    GLenum depthFormat = GL_DEPTH_COMPONENT16;
    GLint programViewport[4] = {0, 0, 0, 0};  // as the program set them, in window pixels
    GLint programScissor[4] = {0, 0, 0, 0};
    GLuint framebuffer = 0;           // what the program draws into
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    GLuint resolveFramebuffer = 0;    // the finished frame of a multisampled surface
    GLuint resolveBuffer = 0;
    int underTextHeightPx = 0;
    GLuint underTextFramebuffer = 0;  // what lies under the GDI text while it is shown
    GLuint underTextBuffer = 0;
    GLuint readBuffers[2] = {0, 0};   // frames on their way back to the CPU
    bool readPending[2] = {false, false};
    int readScene[2] = {0, 0};
    GLenum readFormat = GL_RGB;
    int readWidthPx = 0, readHeightPx = 0;
    int nextRead = 0;
};

namespace platform::sdl {

// windows.cpp
void EnsureSdl();  // starts SDL's video once; SdlReady() tells whether it worked
bool SdlReady();
void QuitSdl();    // the windows, the GL driver and SDL itself, at the end of the run
PlatformWindow* LiveWindow();

// messages.cpp
void PumpEvents();  // turns waiting SDL events into posted window messages

// gl_context.cpp
PlatformContext* CurrentContext();

// surface.cpp: the framebuffer object the program draws into, standing for
// the window's client area, and its presentation on screen.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC renderbufferStorageMultisample = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
    PFNGLWINDOWPOS2IPROC windowPos2i = nullptr;
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLMAPBUFFERPROC mapBuffer = nullptr;
    PFNGLUNMAPBUFFERPROC unmapBuffer = nullptr;
};
FramebufferCalls& Framebuffers();
bool CreateSurface(PlatformContext* context, int depthBits);
// Surface pixels of a window x, and of a window y counted from the bottom.
int SurfaceX(const PlatformContext* context, int windowXPx);
int SurfaceY(const PlatformContext* context, int windowYPx);
// The framebuffer that holds the finished frame: the surface itself, or its
// resolved copy when it is multisampled.
GLuint FinishedFrame(const PlatformContext* context);
void DestroySurface(PlatformContext* context);
void LatchFrame();        // a swap: the frame is shown at the next pump or swap
void DropLatchedFrame();
void PresentPending();    // shows the latched frame with its text
void NoteFramePosition(int scene, MusicPosition position);

// readback.cpp: frames back to the CPU, for the capture, the benchmark and shots.
void ReadBackAsync(PlatformContext* context, GLenum format, int scene);
void FinishReadBacks(PlatformContext* context);
void SaveShots(PlatformContext* context, MusicPosition framePosition);

// gdi_text.cpp: the text of TextOutA, drawn over the frame while it is shown.
struct TextRegion {
    int x, y, w, h;  // GL window coordinates
};
std::vector<TextRegion> DrawOverlay(PlatformContext* context);
void RestoreUnderText(PlatformContext* context, const std::vector<TextRegion>& saved);
void ClearOverlay();
void ReleaseFont();

// clock.cpp
void CountSwap();          // the virtual clock of a headless run moves on a frame
uint64_t Swaps();
void SetSwaps(uint64_t swaps, uint64_t framesBeforeMusic);  // where a warp leaves the clock
uint32_t RawTicks();       // the tick count before any test offset
void ShiftTicks(int64_t ms);

// warp.cpp
void StartWarpFrame();     // at each look at the messages while warping
void WarpSwap();
uint32_t WarpTicks();

// runtime.cpp
bool Interrupted();        // SIGINT or SIGTERM asked the show to end
void RecordMessageBox(const std::string& text);

}  // namespace platform::sdl
