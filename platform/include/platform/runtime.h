// How this run of the program behaves below the Windows calls: in a real
// window or headless on a virtual clock, the frame trace, screenshots at music
// positions, and the record of every message box shown. Start-up and the
// orderly end live here, the one place that knows every module.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/options.h"
#include "platform/trace.h"
#include "platform/warp.h"

namespace platform {

// Whether a run that is not headless has somewhere to show the show: an X or
// Wayland display on the desktop, the page's canvas in a browser.
bool DisplayAvailable();

// The folder the program's own file is in, or empty where it has none (a
// browser) or it cannot be told.
std::string ProgramFolder();

// Called once before anything else of the platform; fixes the mode of the run.
// From then on SIGINT and SIGTERM end the show as closing the window does (a
// capture is finished cleanly); a second one ends the program at once.
void Configure(const RunOptions& options);
// After Configure: whether drawing can start (a display answered, or headless
// drawing was set up); if not, the reason has been printed.
bool VideoReady();

// The scene loop reports the position each frame used and the sync flags
// raised (bit N for flag N), so that the trace and the screenshots can name
// them. Scene numbers are 1 to 9.
void NoteFrame(int scene, uint32_t order, uint32_t row, uint32_t raisedFlags);

// Frames presented so far.
uint64_t PresentedFrames();
// The size of the frames a capture or a shot gets (once the window exists).
void FrameSizePx(int* widthPx, int* heightPx);

// Closes the trace, the capture and the platform; called once at exit.
void Shutdown();

}  // namespace platform
