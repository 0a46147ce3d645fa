// The life of one frame (see frame.h), step by step in the order they run:
//
//   Begin     the scene loop has read the music position: what was drawn
//             before is carried out; the frame is seen or unseen (the warp,
//             or a shots-only run between shots), and it goes into the trace;
//   ...       the scene draws, the program's text comes through TextOutA;
//   Finish    SwapBuffers: a frame still pending is shown first; GL is
//             flushed; the text of an unseen frame is dropped; a seen frame
//             is latched; the clock counts the swap; on the virtual clock the
//             lock-step music is decoded up to the new show time (its syncs
//             called); where there is no sync thread the heard syncs are
//             delivered; the host gets its turn;
//   Present   the next look at the messages (or the next swap): the latched
//             frame is shown with its text and handed to what takes frames
//             off the screen; the sound learns the display's frame period;
//             a headless run that has made all it was asked for is closed as
//             a window is.
#include "run/frame.h"

#include "gl/backend.h"
#include "platform/bass.h"
#include "platform/gl_calls.h"
#include "platform/trace.h"
#include "platform/win32.h"
#include "present/surface.h"
#include "run/clock.h"
#include "run/frame_costs.h"
#include "run/host.h"
#include "run/warp.h"
#include "sound/sdl_output.h"
#include "win32/gdi_text.h"
#include "win32/windows.h"

namespace platform::frame {

namespace {

bool g_closePosted = false;

// A run that has made all it was asked for ends as closing its window does.
void CloseRunThatHasMadeItsOutputs() {
    if (g_closePosted || !sdl::RunHasMadeItsOutputs() || !sdl::LiveWindow()) return;
    g_closePosted = true;
    PostMessageA(sdl::LiveWindow(), WM_CLOSE, 0, 0);
}

}  // namespace

void Begin(int scene, MusicPosition position, uint32_t raisedFlags) {
    costs::EndStep(costs::kTick);
    // What was drawn before the frame began (a scene's set-up) is carried
    // out before the frame's switches (the warp's discard) change under it.
    gl::ChosenBackend().drawPending();
    sdl::StartFrame(position);
    sdl::NoteFramePosition(scene, position);
    TraceFrame(scene, ShowTimeMs(), position.order, position.row, raisedFlags);
}

void Finish() {
    costs::EndStep(costs::kDraw);
    Present();
    gl::Flush();
    costs::EndStep(costs::kFlush);
    sdl::ClearOverlay();
    if (!sdl::FrameUnseen()) sdl::LatchFrame();
    sdl::CountSwap();
    bool virtualClock = sdl::ClockIsVirtual();
    if (virtualClock && sdl::MusicHasStarted()) AdvanceMusicTo(sdl::ShowSampleFramesNow());
    if (!host::SyncsHaveAThread()) sound::DeliverHeardSyncs();
    host::AfterFrame(virtualClock);
}

void Present() {
    if (!sdl::PresentPending()) return;
    sound::NoteFramePeriodUs(sdl::FramePeriodUs());
    CloseRunThatHasMadeItsOutputs();
}

}  // namespace platform::frame
