// The browser host: the page's canvas is always there, follows the page
// (SDL gives it the pixels of its box on screen times the device's pixel
// ratio, which the picture then fills at --scale auto, as in a desktop
// window), and is made full screen by the page. There are no threads, and
// the program hands control back to the browser after each frame.
#include "run/host.h"

#include <SDL.h>
#include <emscripten.h>

#include <cstdint>

namespace platform::host {

namespace {

// The time of each animation frame the show waited for goes to the page's
// Module.pqnFrameTimes when the page asks for them (a pacing benchmark does).
EM_ASYNC_JS(void, AwaitAnimationFrame, (), {
    await new Promise(function(shown) {
        requestAnimationFrame(function(timeMs) {
            if (Module.pqnFrameTimes) Module.pqnFrameTimes.push(timeMs);
            shown();
        });
    });
});

}  // namespace

bool DisplayAvailable() { return true; }

// The program is the page's; its data set is packed with it.
std::string ProgramFolder() { return std::string(); }

// A headless run draws on the page's canvas too, on the virtual clock.
void PrepareVideo(bool) {}

bool WindowResizable(bool, bool headless) { return !headless; }

bool ProgramSwitchesFullScreen() { return false; }

bool SyncsHaveAThread() { return false; }

void QuietSoundLibraries() {}

// In real time the browser gets its turn until it shows the next frame (it
// paces the show as a display does); on the virtual clock (headless, or the
// unseen frames before the first scene) every tenth of a second of work, so
// that the page stays alive while frames are made as fast as they can be
// (each yield costs a few milliseconds).
void AfterFrame(bool virtualClock) {
    if (!virtualClock) return AwaitAnimationFrame();
    static uint32_t lastYieldMs = 0;
    if (SDL_GetTicks() - lastYieldMs < 100) return;
    emscripten_sleep(0);
    lastYieldMs = SDL_GetTicks();
}

}  // namespace platform::host
