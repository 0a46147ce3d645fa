// SDL's video on every host: started once, with the host's preparations and
// SDL's signal handlers left out; refused where only an offscreen driver is
// left for a run meant for a display; ended once, the GL driver with it.
#include "host/video.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "base/clock.h"
#include "host/host.h"
#include "platform/options.h"

namespace platform::host {

namespace {

struct VideoState {
    bool ready = false;
    void (*beforeQuit)() = nullptr;
};

VideoState& State() {
    static VideoState state;
    return state;
}

// Where no X or Wayland server answers, SDL falls back to drawing
// offscreen: the show would run unseen, for no one to stop.
bool OffscreenWithoutAsking() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return !Options().headless && driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

}  // namespace

void StartVideo() {
    VideoState& s = State();
    if (s.ready) return;
    PrepareVideo(Options().headless);
    // SIGINT and SIGTERM are the program's own (see Configure): SDL's handlers
    // would restart a system call they interrupt.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "pqn: cannot start SDL video: %s\n", SDL_GetError());
        return;
    }
    if (OffscreenWithoutAsking()) {
        const char* display = SDL_getenv("DISPLAY");
        std::fprintf(stderr, "pqn: cannot open the display%s%s; run with --headless to render without one\n",
                     display && *display ? " " : "", display ? display : "");
        SDL_Quit();
        return;
    }
    s.ready = true;
    base::WallClockRunning(true);
    // Held for the whole run: the GL driver is then loaded once, not again for every window.
    SDL_GL_LoadLibrary(nullptr);
}

bool VideoReady() { return State().ready; }

void QuitVideo() {
    VideoState& s = State();
    if (!s.ready) return;
    if (s.beforeQuit) s.beforeQuit();
    KeepLibrariesLoaded();
    SDL_GL_UnloadLibrary();
    SDL_Quit();
    s.ready = false;
    base::WallClockRunning(false);
}

void SetBeforeVideoQuits(void (*hook)()) { State().beforeQuit = hook; }

}  // namespace platform::host
