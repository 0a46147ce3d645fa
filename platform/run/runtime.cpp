// Start-up and the orderly end of the run: the one file that knows every
// module of the platform, in the order they start and stop. The rest of the
// platform does not know this file.
#include "platform/runtime.h"

#include <cstdlib>

#include "platform/bass.h"
#include "platform/bench.h"
#include "platform/capture.h"
#include "present/surface.h"
#include "run/signals.h"
#include "run/warp.h"
#include "win32/gdi_text.h"
#include "win32/windows.h"

namespace platform {

bool DisplayAvailable() {
#ifdef __EMSCRIPTEN__
    return true;
#else
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
#endif
}

void Configure(const RunOptions& options) {
    SetOptions(options);
    if (!options.traceFile.empty()) OpenTrace(options.traceFile);
    if (options.bench) bench::Start();
    sdl::InstallStopSignals();
    // A window's last frame is shown (and captured) before it goes.
    sdl::SetBeforeWindowDestroyed(sdl::PresentPending);
    sdl::EnsureSdl();
}

bool VideoReady() { return sdl::SdlReady(); }

void NoteFrame(int scene, uint32_t order, uint32_t row, uint32_t raisedFlags) {
    sdl::StartFrame({order, row});
    sdl::NoteFramePosition(scene, {order, row});
    TraceFrame(scene, ShowTimeMs(), order, row, raisedFlags);
}

uint64_t PresentedFrames() { return sdl::PresentedFrames(); }

void FrameSizePx(int* widthPx, int* heightPx) { sdl::FrameSizePx(widthPx, heightPx); }

// In order: the sound (so no sync comes in later), the capture, the figures,
// the trace, and last SDL with the GL driver, before any static destructor
// runs while the driver's threads are still alive.
void Shutdown() {
    sdl::CancelStopTimeout();
    StopAudio();
    capture::Finish(sdl::Interrupted());
    if (Options().bench) bench::Report(Options().benchJson);
    CloseTrace();
    sdl::ReleaseFont();
    sdl::QuitSdl();
}

}  // namespace platform
