// The record behind an HGLRC and the pure lookups on it: the current
// context, the framebuffer calls, window pixels mapped to surface pixels,
// and the program's state the platform's own drawing saves and restores.
#include "present/context.h"

namespace platform::present {

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
    LOAD(framebufferTexture2D, "glFramebufferTexture2D");
    LOAD(genBuffers, "glGenBuffers");
    LOAD(deleteBuffers, "glDeleteBuffers");
    LOAD(bindBuffer, "glBindBuffer");
    LOAD(bufferData, "glBufferData");
    LOAD(mapBufferRange, "glMapBufferRange");
    LOAD(unmapBuffer, "glUnmapBuffer");
    LOAD(clearBufferfv, "glClearBufferfv");
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

ProgramDrawState SaveProgramDrawState() {
    ProgramDrawState saved{};
    saved.scissorTest = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    return saved;
}

ProgramDrawState SaveProgramDrawStateForClears() {
    ProgramDrawState saved = SaveProgramDrawState();
    glGetFloatv(GL_COLOR_CLEAR_VALUE, saved.clearColor);
    saved.clearColorSaved = true;
    return saved;
}

void RestoreProgramDrawState(const ProgramDrawState& saved) {
    if (saved.scissorTest) glEnable(GL_SCISSOR_TEST);
    if (!saved.clearColorSaved) return;
    const GLfloat* c = saved.clearColor;
    glClearColor(c[0], c[1], c[2], c[3]);
}

}  // namespace platform::present
