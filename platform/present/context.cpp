// The record behind an HGLRC and the pure lookups on it: the current
// context, the framebuffer calls, and window pixels mapped to surface pixels.
#include "present/context.h"

namespace platform::sdl {

namespace {

PlatformContext* g_current = nullptr;

}  // namespace

PlatformContext* CurrentContext() { return g_current; }

void SetCurrentContext(PlatformContext* context) { g_current = context; }

FramebufferCalls& Framebuffers() {
    static FramebufferCalls calls;
    return calls;
}

bool LoadFramebufferCalls() {
    FramebufferCalls& fb = Framebuffers();
#define LOAD(field, name) fb.field = reinterpret_cast<decltype(fb.field)>(SDL_GL_GetProcAddress(name))
    LOAD(genFramebuffers, "glGenFramebuffers");
    LOAD(deleteFramebuffers, "glDeleteFramebuffers");
    LOAD(bindFramebuffer, "glBindFramebuffer");
    LOAD(genRenderbuffers, "glGenRenderbuffers");
    LOAD(deleteRenderbuffers, "glDeleteRenderbuffers");
    LOAD(bindRenderbuffer, "glBindRenderbuffer");
    LOAD(renderbufferStorage, "glRenderbufferStorage");
    LOAD(renderbufferStorageMultisample, "glRenderbufferStorageMultisample");
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

layout::Size WindowSize(const PlatformContext* context) { return {context->window->width, context->window->height}; }

int SurfaceX(const PlatformContext* context, int windowXPx) {
    return layout::SurfaceX(context->layout, WindowSize(context), windowXPx);
}

int SurfaceY(const PlatformContext* context, int windowYPx) {
    return layout::SurfaceY(context->layout, WindowSize(context), windowYPx);
}

GLuint FinishedFrame(const PlatformContext* context) {
    return context->samples > 0 ? context->resolveFramebuffer : context->framebuffer;
}

}  // namespace platform::sdl
