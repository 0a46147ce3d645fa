// Start-up and the orderly end of the run: the one file that knows every
// module of the platform, in the order they start and stop. The rest of the
// platform does not know this file.
#include "platform/runtime.h"

#include <utility>
#include <vector>

#include "platform/bass.h"
#include "platform/bench.h"
#include "platform/capture.h"
#include "present/readback.h"
#include "present/surface.h"
#include "run/frame.h"
#include "run/host.h"
#include "run/signals.h"
#include "run/warp.h"
#include "sound/lockstep.h"
#include "win32/gdi_text.h"
#include "win32/windows.h"

namespace platform {

namespace {

// The capture takes the show's frames (not start-up's) in its sink's order.
sdl::PixelOrder CaptureWants(bool showFrame, bool) {
    if (!capture::Active() || !showFrame) return sdl::PixelOrder::kNone;
    return capture::WantsBgra() ? sdl::PixelOrder::kBgra : sdl::PixelOrder::kRgb;
}

void CaptureTakes(std::vector<uint8_t>* pixels, int widthPx, int heightPx, int) {
    capture::Frame(pixels, widthPx, heightPx);
}

// The benchmark times every frame once the music plays, read back as a
// capture would, in whatever order costs least.
sdl::PixelOrder BenchWants(bool, bool musicStarted) {
    return Options().bench && musicStarted ? sdl::PixelOrder::kAny : sdl::PixelOrder::kNone;
}

void BenchTakes(std::vector<uint8_t>*, int, int, int scene) { bench::FramePresented(scene); }

// What takes frames and sound, registered once: presentation and the sound
// know them only through their interfaces.
void RegisterTakers() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    sdl::AddFrameReader({CaptureWants, CaptureTakes});
    sdl::AddFrameReader({BenchWants, BenchTakes});
    sound::SetLockstepSoundTaker(capture::Audio);
}

}  // namespace

bool DisplayAvailable() { return host::DisplayAvailable(); }

std::string ProgramFolder() { return host::ProgramFolder(); }

void Configure(const RunOptions& options) {
    SetOptions(options);
    if (!options.traceFile.empty()) OpenTrace(options.traceFile);
    if (options.bench) bench::Start();
    RegisterTakers();
    sdl::InstallStopSignals();
    // A window's last frame is shown (and captured) before it goes.
    sdl::SetBeforeWindowDestroyed(frame::Present);
    sdl::EnsureSdl();
}

bool VideoReady() { return sdl::SdlReady(); }

void NoteFrame(int scene, uint32_t order, uint32_t row, uint32_t raisedFlags) {
    frame::Begin(scene, {order, row}, raisedFlags);
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
