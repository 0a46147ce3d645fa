// Windows on SDL: the record behind an HWND, and SDL's video started once
// for the run and ended at its end.
#pragma once

#include <SDL.h>

#include "platform/win32.h"

struct PlatformWindow {
    SDL_Window* sdl = nullptr;
    WNDPROC procedure = nullptr;
    int width = 0;   // the client area as the program sees it, in window pixels
    int height = 0;
    bool alive = true;
    bool fullscreen = false;
    const char* contextName = "OpenGL";  // the kind of GL context the window was made for
};

namespace platform::sdl {

void EnsureSdl();  // starts SDL's video once; SdlReady() tells whether it worked
bool SdlReady();
void QuitSdl();    // the windows, the GL driver and SDL itself, at the end of the run
PlatformWindow* LiveWindow();
// Runs just before a window is destroyed (the run shows its last frame then).
void SetBeforeWindowDestroyed(void (*hook)());

}  // namespace platform::sdl
