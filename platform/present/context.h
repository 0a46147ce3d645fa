// The record behind an HGLRC: the GL context, the framebuffers that stand
// for the window's client area, and where the window's pixels lie on them.
// Pure lookups only; making, presenting and reading back are in surface.cpp
// and readback.cpp.
#pragma once

#include <SDL.h>
#include <SDL_opengl.h>

#include <string>

#include "platform/options.h"
#include "present/layout.h"
#include "present/window.h"

// A GL context and the surface it draws into (see surface.cpp).
// Which frame a read-back holds: its scene (0: not a show frame), its music
// position, and how many frames had been presented before it.
struct FrameNote {
    int scene = 0;
    platform::MusicPosition position{0, 0};
    uint64_t presented = 0;
};

struct PlatformContext {
    SDL_GLContext sdl = nullptr;
    PlatformWindow* window = nullptr;
    SurfaceLayout layout;
    int samples = 0;                  // multisampled surface when above 0
    GLenum depthFormat = GL_DEPTH_COMPONENT16;
    GLint programViewport[4] = {0, 0, 0, 0};  // as the program set them, in window pixels
    GLint programScissor[4] = {0, 0, 0, 0};
    GLfloat programLineWidthPx = 1;
    GLuint framebuffer = 0;           // what the program draws into
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    GLuint resolveFramebuffer = 0;    // the finished frame of a multisampled surface
    GLuint resolveBuffer = 0;
    int underTextHeightPx = 0;
    GLuint underTextFramebuffer = 0;  // what lies under the GDI text while it is shown
    GLuint underTextBuffer = 0;
    GLuint textFramebuffer = 0;       // the GDI text's pixels, copied from here onto the frame
    GLuint textTexture = 0;
    // The line the text texture holds and the scale it was drawn at (empty
    // when none), so that a line shown again frame after frame is drawn and
    // uploaded once.
    std::string textureText;
    double textureTextScale = 0;
    int textureTextWidthPx = 0, textureTextHeightPx = 0;
    bool es = false;                  // an OpenGL ES context: frames are read back as RGBA only
    GLuint readBuffers[2] = {0, 0};   // frames on their way back to the CPU
    bool readPending[2] = {false, false};
    FrameNote readFrame[2] = {};
    unsigned readFor[2] = {0, 0};     // which frame readers each frame goes to, a bit each
    GLenum readFormat = GL_RGB;
    int readWidthPx = 0, readHeightPx = 0;
    int nextRead = 0;
};

namespace platform::present {

PlatformContext* CurrentContext();
void SetCurrentContext(PlatformContext* context);

// GL 3.0 framebuffer and buffer calls (OpenGL ES 3.0 has the same), looked
// up once a context exists.
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
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLMAPBUFFERRANGEPROC mapBufferRange = nullptr;
    PFNGLUNMAPBUFFERPROC unmapBuffer = nullptr;
    PFNGLCLEARBUFFERFVPROC clearBufferfv = nullptr;  // GL 3.0 and ES 3.0: a clear that leaves the clear colour
};
FramebufferCalls& Framebuffers();
bool LoadFramebufferCalls();  // false when the driver lacks framebuffer objects

// The window's size as the layout arithmetic takes it.
layout::Size WindowSize(const PlatformContext* context);
// Surface pixels of a window x, and of a window y counted from the bottom.
int SurfaceX(const PlatformContext* context, int windowXPx);
int SurfaceY(const PlatformContext* context, int windowYPx);
// The framebuffer that holds the finished frame: the surface itself, or its
// resolved copy when it is multisampled.
GLuint FinishedFrame(const PlatformContext* context);

// What the platform's own drawing (clears, copies, the text) changes of the
// program's GL state, saved from GL itself and put back after: the scissor
// test, which it turns off, and for a clear the clear colour. Reading the
// clear colour back waits for the driver in a browser, so only clears save
// it. Only calls that OpenGL and OpenGL ES share, so it serves both.
struct ProgramDrawState {
    GLboolean scissorTest;
    bool clearColorSaved;
    GLfloat clearColor[4];
};
ProgramDrawState SaveProgramDrawState();           // around copies
ProgramDrawState SaveProgramDrawStateForClears();  // around clears with glClear
void RestoreProgramDrawState(const ProgramDrawState& saved);

}  // namespace platform::present
