// Device contexts, pixel formats and GL contexts on SDL2: a window is its own
// device context; a GL context comes with the drawing surface it draws into,
// and SwapBuffers is the end of a frame (run/frame.cpp).
#include <cstdio>

#include "gl/backend.h"
#include "platform/options.h"
#include "present/readback.h"
#include "present/surface.h"
#include "run/frame.h"
#include "win32/messages.h"

namespace {

struct ContextState {
    PIXELFORMATDESCRIPTOR pixelFormat{};
};

ContextState& State() {
    static ContextState state;
    return state;
}

}  // namespace

HDC GetDC(HWND window) { return window && window->alive ? window : nullptr; }
int ReleaseDC(HWND, HDC) { return 1; }

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor) {
    if (!dc || !descriptor || !(descriptor->dwFlags & PFD_SUPPORT_OPENGL)) return 0;
    return 1;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
    if (!dc || format != 1 || !descriptor) return FALSE;
    State().pixelFormat = *descriptor;
    return TRUE;
}

HGLRC wglCreateContext(HDC dc) {
    if (!dc || !dc->sdl) return nullptr;
    SDL_GLContext sdl = SDL_GL_CreateContext(dc->sdl);
    if (!sdl) {
        std::fprintf(stderr, "pqn: cannot create an %s context: %s\n", dc->contextName, SDL_GetError());
        return nullptr;
    }
    auto* context = new PlatformContext;
    context->sdl = sdl;
    context->window = dc;
    context->es = platform::gl::ShadersDraw();
    if (!platform::Options().headless) SDL_GL_SetSwapInterval(1);
    if (!platform::present::CreateSurface(context, State().pixelFormat.cDepthBits)) {
        SDL_GL_DeleteContext(sdl);
        delete context;
        return nullptr;
    }
    platform::present::SetCurrentContext(context);
    platform::gl::ChosenBackend().contextCreated();
    return context;
}

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    if (!context) {
        platform::present::SetCurrentContext(nullptr);
        return TRUE;
    }
    if (!dc || !dc->sdl || SDL_GL_MakeCurrent(dc->sdl, context->sdl) != 0) return FALSE;
    platform::present::Framebuffers().bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    platform::present::SetCurrentContext(context);
    return TRUE;
}

BOOL wglDeleteContext(HGLRC context) {
    if (!context) return FALSE;
    bool current = platform::present::CurrentContext() == context;
    if (current) {
        platform::run::PresentFrame();
        platform::present::FinishReadBacks(context);
        platform::gl::ChosenBackend().contextDeleting();
    }
    platform::present::DestroySurface(context);
    SDL_GL_DeleteContext(context->sdl);
    if (current) platform::present::SetCurrentContext(nullptr);
    delete context;
    return TRUE;
}

BOOL SwapBuffers(HDC dc) {
    if (!dc || !dc->alive || !platform::present::CurrentContext()) return FALSE;
    platform::win32::CloseWhenRunIsDone(platform::run::FinishFrame());
    return TRUE;
}
