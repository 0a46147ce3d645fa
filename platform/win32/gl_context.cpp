// Device contexts, pixel formats and GL contexts on SDL2: a window is its own
// device context; a GL context comes with the drawing surface it draws into,
// and SwapBuffers latches the finished frame for presentation.
#include <cstdio>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "sound/sdl_output.h"
#endif

#include "gl/backend.h"
#include "platform/bass.h"
#include "platform/options.h"
#include "present/readback.h"
#include "present/surface.h"
#include "run/clock.h"
#include "run/warp.h"
#include "win32/gdi_text.h"

namespace {

struct ContextState {
    PIXELFORMATDESCRIPTOR pixelFormat{};
};

ContextState& State() {
    static ContextState state;
    return state;
}

}  // namespace

#ifdef __EMSCRIPTEN__
// The page shows the canvas, and runs its timers and sound, only while the
// program has handed control back to the browser.
EM_ASYNC_JS(void, AwaitAnimationFrame, (), { await new Promise(function(shown) { requestAnimationFrame(shown); }); });

// After each frame: the syncs now heard are called, and the browser gets
// its turn: in real time until it shows the next frame (it paces the show as
// a display does); on the virtual clock (headless, or the unseen frames
// before the first scene) every tenth of a second of work, so that the page
// stays alive while frames are made as fast as they can be (each yield
// costs a few milliseconds).
void YieldToBrowser() {
    platform::sound::DeliverHeardSyncs();
    if (!platform::sdl::ClockIsVirtual()) return AwaitAnimationFrame();
    static uint32_t lastYieldMs = 0;
    if (SDL_GetTicks() - lastYieldMs < 100) return;
    emscripten_sleep(0);
    lastYieldMs = SDL_GetTicks();
}
#endif

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
        std::fprintf(stderr, "pqn: cannot create an OpenGL %scontext: %s\n",
                     platform::Options().glEs3 ? "ES 3.0 " : "", SDL_GetError());
        return nullptr;
    }
    auto* context = new PlatformContext;
    context->sdl = sdl;
    context->window = dc;
    context->es = platform::Options().glEs3;
    if (!platform::Options().headless) SDL_GL_SetSwapInterval(1);
    if (!platform::sdl::CreateSurface(context, State().pixelFormat.cDepthBits)) {
        SDL_GL_DeleteContext(sdl);
        delete context;
        return nullptr;
    }
    platform::sdl::SetCurrentContext(context);
    platform::gl::UseBackend(context->es ? platform::gl::kEs3 : platform::gl::DefaultBackend());
    platform::gl::ActiveBackend().contextCreated();
    return context;
}

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    if (!context) {
        platform::sdl::SetCurrentContext(nullptr);
        return TRUE;
    }
    if (!dc || !dc->sdl || SDL_GL_MakeCurrent(dc->sdl, context->sdl) != 0) return FALSE;
    platform::sdl::Framebuffers().bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    platform::sdl::SetCurrentContext(context);
    return TRUE;
}

BOOL wglDeleteContext(HGLRC context) {
    if (!context) return FALSE;
    bool current = platform::sdl::CurrentContext() == context;
    if (current) {
        platform::sdl::PresentPending();
        platform::sdl::FinishReadBacks(context);
        platform::gl::ActiveBackend().contextDeleting();
    }
    platform::sdl::DestroySurface(context);
    SDL_GL_DeleteContext(context->sdl);
    if (current) platform::sdl::SetCurrentContext(nullptr);
    delete context;
    return TRUE;
}

BOOL SwapBuffers(HDC dc) {
    if (!dc || !dc->alive || !platform::sdl::CurrentContext()) return FALSE;
    platform::sdl::PresentPending();
    glFlush();
    platform::sdl::ClearOverlay();
    // An unseen frame is not shown: nothing is latched.
    if (!platform::sdl::FrameUnseen()) platform::sdl::LatchFrame();
    platform::sdl::CountSwap();
    if (platform::sdl::ClockIsVirtual() && platform::sdl::MusicHasStarted())
        platform::AdvanceMusicTo(platform::sdl::ShowSampleFramesNow());
#ifdef __EMSCRIPTEN__
    YieldToBrowser();
#endif
    return TRUE;
}
