// The desktop host: an X or Wayland display, windows the user resizes and
// switches to full screen, a thread for the syncs, and nothing to hand
// control back to between frames.
#include "run/host.h"

#include <SDL.h>

#include <cstdlib>

namespace platform::host {

bool DisplayAvailable() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

void PrepareVideo(bool headless) {
    if (headless) SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
}

bool WindowResizable(bool framed, bool headless) { return framed && !headless; }

bool ProgramSwitchesFullScreen() { return true; }

bool SyncsHaveAThread() { return true; }

void AfterFrame(bool) {}

}  // namespace platform::host
