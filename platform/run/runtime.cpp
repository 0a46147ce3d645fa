// Start-up and the orderly end of the run: the one file that knows every
// module of the platform, in the order they start and stop. The rest of the
// platform does not know this file.
#include "platform/runtime.h"

#include <utility>
#include <vector>

#include "platform/bass.h"
#include "platform/bench.h"
#include "platform/capture.h"
#include "platform/flash_check.h"
#include "base/signals.h"
#include "host/host.h"
#include "host/video.h"
#include "present/overlay.h"
#include "present/readback.h"
#include "present/surface.h"
#include "run/frame.h"
#include "run/warp.h"
#include "sound/lockstep.h"

namespace platform {

namespace {

// The capture takes the show's frames (not start-up's) in its sink's order.
present::PixelOrder CaptureWants(bool showFrame, bool) {
    if (!capture::Active() || !showFrame) return present::PixelOrder::kNone;
    return capture::WantsRgba() ? present::PixelOrder::kRgba : present::PixelOrder::kRgb;
}

void CaptureTakes(std::vector<uint8_t>* pixels, int widthPx, int heightPx, const FrameNote&) {
    capture::Frame(pixels, widthPx, heightPx);
}

// The benchmark times every frame once the music plays, read back as a
// capture would, in whatever order costs least.
present::PixelOrder BenchWants(bool, bool musicStarted) {
    return Options().bench && musicStarted ? present::PixelOrder::kAny : present::PixelOrder::kNone;
}

void BenchTakes(std::vector<uint8_t>* pixels, int, int, const FrameNote& frame) {
    bench::FramePresented(frame.scene, frame.position, frame.presented, *pixels);
}

// The flash check reads every show frame in RGB once the music plays.
present::PixelOrder FlashCheckWants(bool showFrame, bool musicStarted) {
    return Options().flashCheck && showFrame && musicStarted ? present::PixelOrder::kRgb : present::PixelOrder::kNone;
}

void FlashCheckTakes(std::vector<uint8_t>* pixels, int widthPx, int heightPx, const FrameNote& frame) {
    flash_check::FramePresented(frame.scene, frame.position, *pixels, widthPx, heightPx);
}

// What takes frames and sound, registered once: presentation and the sound
// know them only through their interfaces.
void RegisterTakers() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    present::AddFrameReader({CaptureWants, CaptureTakes});
    present::AddFrameReader({BenchWants, BenchTakes});
    present::AddFrameReader({FlashCheckWants, FlashCheckTakes});
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
    base::InstallStopSignals();
    host::StartVideo();
}

bool VideoReady() { return host::VideoReady(); }

void NoteFrame(int scene, uint32_t order, uint32_t row, uint32_t raisedFlags) {
    run::BeginFrame(scene, {order, row}, raisedFlags);
}

uint64_t PresentedFrames() { return present::PresentedFrames(); }

void FrameSizePx(int* widthPx, int* heightPx) { present::FrameSizePx(widthPx, heightPx); }

// In order: the sound (so no sync comes in later), the capture, the figures,
// the trace, and last SDL with the GL driver, before any static destructor
// runs while the driver's threads are still alive.
void Shutdown() {
    base::CancelStopTimeout();
    StopAudio();
    capture::Finish(base::Interrupted());
    if (Options().bench) bench::Report(Options().benchJson);
    if (Options().flashCheck) flash_check::Report(Options().benchJson);
    CloseTrace();
    present::ReleaseFont();
    host::QuitVideo();
}

}  // namespace platform
