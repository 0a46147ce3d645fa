// The lists of sound devices and screens, from SDL (see platform/devices.h).
#include "platform/devices.h"

#include <SDL.h>

#include <cstdio>

#include "host/host.h"
#include "platform/options.h"

namespace platform {

int PrintAudioDevices() {
    host::QuietSoundLibraries();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "pqn: no sound system could be opened (%s)\n", SDL_GetError());
        return 1;
    }
    int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, 0);
        if (name) std::printf("%s\n", name);
    }
    if (count <= 0) std::fprintf(stderr, "pqn: the sound system (%s) has no output devices\n", SDL_GetCurrentAudioDriver());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return count > 0 ? 0 : 1;
}

int PrintDisplays() {
    if (!host::DisplayAvailable()) {
        std::fprintf(stderr, "pqn: no display found; the screens of a display are listed where there is one\n");
        return 1;
    }
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "pqn: no display could be opened (%s)\n", SDL_GetError());
        return 1;
    }
    int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds{};
        SDL_GetDisplayBounds(i, &bounds);
        const char* name = SDL_GetDisplayName(i);
        std::printf("%d: %dx%d at %d,%d  %s\n", i + 1, bounds.w, bounds.h, bounds.x, bounds.y, name ? name : "");
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return count > 0 ? 0 : 1;
}

int WindowDisplay() {
    const RunOptions& o = Options();
    int count = SDL_GetNumVideoDisplays();
    if (!o.displayGiven || (o.display >= 0 && o.display < count)) return o.displayGiven ? o.display : 0;
    static bool said = false;
    if (!said)
        std::fprintf(stderr, "pqn: there is no display %d: this machine has %d (see --list-displays); the show opens on the first\n",
                     o.display + 1, count);
    said = true;
    return 0;
}

}  // namespace platform
