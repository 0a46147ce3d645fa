// The Windows host: a desktop is always there, windows the user resizes and
// switches to full screen, a thread for the syncs, the program's folder from
// the module's own file name (where a release keeps its data set).
#include "host/host.h"

#include <SDL.h>

#include "system/program_folder_windows.h"
#include "system/utf8_windows.h"

namespace platform::host {

bool DisplayAvailable() { return true; }

std::string ProgramFolder() { return system::windows::Utf8(system::windows::ProgramFolder().wstring()); }

// A headless run draws into a hidden window of its own: SDL's offscreen
// driver needs EGL, which Windows does not have.
void PrepareVideo(bool) {}

bool WindowResizable(bool framed, bool headless) { return framed && !headless; }

bool ProgramSwitchesFullScreen() { return true; }

// Drivers on Windows (and wine) often have no OpenGL ES; a 3.3 core context
// with ARB_ES3_compatibility compiles the same GLSL ES 3.00 shaders.
std::vector<GlContextKind> ShaderContexts() {
    return {{SDL_GL_CONTEXT_PROFILE_ES, 3, 0, "OpenGL ES 3.0"}, {SDL_GL_CONTEXT_PROFILE_CORE, 3, 3, "OpenGL 3.3 core"}};
}

bool SyncsHaveAThread() { return true; }

void QuietSoundLibraries() {}

void KeepLibrariesLoaded() {}

void AfterFrame(bool) {}

void ShowDescribed(const std::string&) {}
void PlayerStatus(int, uint32_t, uint32_t, uint32_t, bool, int, bool) {}

}  // namespace platform::host
