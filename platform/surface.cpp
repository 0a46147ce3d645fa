// The drawing surface: a framebuffer object that stands for the window's
// client area, what the program draws into. A swap latches the finished
// frame; it is shown at the program's next look at its messages or next swap,
// so that GDI text drawn after the swap appears on the frame it belongs to, as
// on Windows. Showing a frame scales it to the real window with the aspect
// kept (black bars), which is how full screen works on displays that will not
// switch to 640x480.
#include <cstdio>

#include "bench.h"
#include "capture.h"
#include "internal.h"
#include "win32_internal.h"

namespace {

struct SurfaceState {
    platform::sdl::FramebufferCalls fb;
    bool framePending = false;
    uint64_t presented = 0;
    int frameScene = 0;
    platform::MusicPosition framePosition{0, 0};
    bool frameNoted = false;
};

SurfaceState& State() {
    static SurfaceState state;
    return state;
}

bool LoadFramebufferCalls() {
    platform::sdl::FramebufferCalls& fb = State().fb;
#define LOAD(field, name) fb.field = reinterpret_cast<decltype(fb.field)>(SDL_GL_GetProcAddress(name))
    LOAD(genFramebuffers, "glGenFramebuffers");
    LOAD(deleteFramebuffers, "glDeleteFramebuffers");
    LOAD(bindFramebuffer, "glBindFramebuffer");
    LOAD(genRenderbuffers, "glGenRenderbuffers");
    LOAD(deleteRenderbuffers, "glDeleteRenderbuffers");
    LOAD(bindRenderbuffer, "glBindRenderbuffer");
    LOAD(renderbufferStorage, "glRenderbufferStorage");
    LOAD(framebufferRenderbuffer, "glFramebufferRenderbuffer");
    LOAD(checkFramebufferStatus, "glCheckFramebufferStatus");
    LOAD(blitFramebuffer, "glBlitFramebuffer");
    LOAD(windowPos2i, "glWindowPos2i");
    LOAD(genBuffers, "glGenBuffers");
    LOAD(deleteBuffers, "glDeleteBuffers");
    LOAD(bindBuffer, "glBindBuffer");
    LOAD(bufferData, "glBufferData");
    LOAD(mapBuffer, "glMapBuffer");
    LOAD(unmapBuffer, "glUnmapBuffer");
#undef LOAD
    return fb.genFramebuffers && fb.bindFramebuffer && fb.blitFramebuffer && fb.renderbufferStorage;
}

void ShowOnScreen(PlatformContext* context) {
    platform::sdl::FramebufferCalls& fb = State().fb;
    PlatformWindow* window = context->window;
    int drawableW = 0, drawableH = 0;
    SDL_GL_GetDrawableSize(window->sdl, &drawableW, &drawableH);
    if (drawableW <= 0 || drawableH <= 0) return;
    // Largest 640x480-shaped rectangle that fits, centred.
    int w = drawableW, h = drawableW * window->height / window->width;
    if (h > drawableH) {
        h = drawableH;
        w = drawableH * window->width / window->height;
    }
    int x = (drawableW - w) / 2, y = (drawableH - h) / 2;
    glPushAttrib(GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    bool exact = w == window->width && h == window->height;
    fb.blitFramebuffer(0, 0, window->width, window->height, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT,
                       exact ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(window->sdl);
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    glPopAttrib();
}

}  // namespace

namespace platform::sdl {

FramebufferCalls& Framebuffers() { return State().fb; }

bool CreateSurface(PlatformContext* context, int depthBits) {
    if (!LoadFramebufferCalls()) {
        std::fprintf(stderr, "pqn: the OpenGL driver has no framebuffer objects\n");
        return false;
    }
    FramebufferCalls& fb = State().fb;
    int w = context->window->width, h = context->window->height;
    auto attach = [&](GLuint* buffer, GLenum format, int height, GLenum attachment) {
        fb.genRenderbuffers(1, buffer);
        fb.bindRenderbuffer(GL_RENDERBUFFER, *buffer);
        fb.renderbufferStorage(GL_RENDERBUFFER, format, w, height);
        fb.framebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, *buffer);
    };
    fb.genFramebuffers(1, &context->framebuffer);
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    attach(&context->colorBuffer, GL_RGBA8, h, GL_COLOR_ATTACHMENT0);
    attach(&context->depthBuffer, depthBits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16, h, GL_DEPTH_ATTACHMENT);
    bool complete = fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    fb.genFramebuffers(1, &context->underTextFramebuffer);
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->underTextFramebuffer);
    attach(&context->underTextBuffer, GL_RGBA8, kUnderTextHeightPx, GL_COLOR_ATTACHMENT0);
    complete = complete && fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    if (!complete || !fb.genBuffers || !fb.mapBuffer) {
        std::fprintf(stderr, "pqn: cannot create the %dx%d drawing surface\n", w, h);
        return false;
    }
    glViewport(0, 0, w, h);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

void DestroySurface(PlatformContext* context) {
    FramebufferCalls& fb = State().fb;
    if (!fb.deleteFramebuffers || !context->framebuffer) return;
    fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
    fb.deleteFramebuffers(1, &context->framebuffer);
    fb.deleteFramebuffers(1, &context->underTextFramebuffer);
    fb.deleteRenderbuffers(1, &context->colorBuffer);
    fb.deleteRenderbuffers(1, &context->depthBuffer);
    fb.deleteRenderbuffers(1, &context->underTextBuffer);
    if (context->readBuffers[0]) fb.deleteBuffers(2, context->readBuffers);
}

void LatchFrame() { State().framePending = true; }

void DropLatchedFrame() { State().framePending = false; }

void NoteFramePosition(int scene, MusicPosition position) {
    SurfaceState& s = State();
    s.frameScene = scene;
    s.framePosition = position;
    s.frameNoted = true;
}

// Shows the latched frame with its text: on screen, or only to the screenshots when headless.
void PresentPending() {
    SurfaceState& s = State();
    if (!s.framePending) return;
    s.framePending = false;
    PlatformContext* context = CurrentContext();
    if (!context || !context->framebuffer) return;
    std::vector<TextRegion> saved = DrawOverlay(context);
    if (s.frameNoted) SaveShots(context, s.framePosition);
    bool musicStarted = internal::MusicHasStarted();
    bool capturing = capture::Active() && musicStarted;
    if (capturing || (Options().bench && musicStarted)) {
        GLenum format = capture::WantsBgra() ? GL_BGRA : GL_RGB;
        ReadBackAsync(context, format, s.frameNoted ? s.frameScene : 0);
    }
    if (!Options().headless) ShowOnScreen(context);
    RestoreUnderText(context, saved);
    ClearOverlay();
    s.frameNoted = false;
    ++s.presented;
}

}  // namespace platform::sdl

namespace platform {

uint64_t PresentedFrames() { return State().presented; }

}  // namespace platform
