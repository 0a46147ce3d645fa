// The Linux desktop host: an X or Wayland display, windows the user resizes and
// switches to full screen, a thread for the syncs, and nothing to hand
// control back to between frames.
#include "host/host.h"

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <filesystem>

namespace platform::host {

namespace {

typedef void (*AlsaErrorHandler)(const char* file, int line, const char* function, int error, const char* format, ...);

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Opening a loaded library again with RTLD_NODELETE keeps it mapped
// whatever closes it later; the handle itself is not needed.
int KeepLoaded(dl_phdr_info* library, size_t, void*) {
    if (library->dlpi_name && *library->dlpi_name)
        dlopen(library->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

}  // namespace

bool DisplayAvailable() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

std::string ProgramFolder() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

void PrepareVideo(bool headless) {
    if (headless) SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
}

bool WindowResizable(bool framed, bool headless) { return framed && !headless; }

bool ProgramSwitchesFullScreen() { return true; }

std::vector<GlContextKind> ShaderContexts() { return {{SDL_GL_CONTEXT_PROFILE_ES, 3, 0, "OpenGL ES 3.0"}}; }

bool SyncsHaveAThread() { return true; }

// SDL loads ALSA itself; loaded first here (and kept), it is the same
// library SDL then finds, with its error handler set to say nothing.
void QuietSoundLibraries() {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa) return;
    auto setHandler = reinterpret_cast<int (*)(AlsaErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(IgnoreAlsaError);
}

void KeepLibrariesLoaded() { dl_iterate_phdr(KeepLoaded, nullptr); }

void AfterFrame(bool) {}

void ShowDescribed(const std::string&) {}
void PlayerStatus(int, uint32_t, uint32_t, uint32_t, bool, int, bool) {}

}  // namespace platform::host
