// The record behind an HWND: the SDL window frames are shown in, the
// procedure its messages go to, and its client size. The windows' stand-in
// calls make and end it; presentation draws into it.
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
