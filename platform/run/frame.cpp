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
//             a headless run that has made all it was asked for says so, and
//             the windows close it as a user would.
#include "run/frame.h"

#include "gl/backend.h"
#include "platform/bass.h"
#include "platform/gl_calls.h"
#include "platform/trace.h"
#include "base/clock.h"
#include "base/frame_costs.h"
#include "host/host.h"
#include "present/surface.h"
#include "run/warp.h"
#include "sound/sdl_output.h"

namespace platform::run {

namespace {

bool g_runDoneSaid = false;

// A run that has made all it was asked for is said to be done, once.
bool RunIsDone() {
    if (g_runDoneSaid || !present::RunHasMadeItsOutputs()) return false;
    g_runDoneSaid = true;
    return true;
}

}  // namespace

void BeginFrame(int scene, MusicPosition position, uint32_t raisedFlags) {
    base::costs::EndStep(base::costs::kTick);
    // What was drawn before the frame began (a scene's set-up) is carried
    // out before the frame's switches (the warp's discard) change under it.
    gl::ChosenBackend().drawPending();
    StartFrame(scene, position);
    present::NoteFramePosition(scene, position);
    TraceFrame(scene, ShowTimeMs(), position.order, position.row, raisedFlags);
}

bool FinishFrame() {
    base::costs::EndStep(base::costs::kDraw);
    bool done = PresentFrame();
    gl::Flush();
    base::costs::EndStep(base::costs::kFlush);
    if (!FrameUnseen()) present::LatchFrame();
    base::CountSwap();
    bool virtualClock = base::ClockIsVirtual();
    if (virtualClock && base::MusicHasStarted()) AdvanceMusicTo(base::ShowSampleFramesNow());
    AfterSeekFrame();
    if (!host::SyncsHaveAThread()) sound::DeliverHeardSyncs();
    host::AfterFrame(virtualClock);
    return done;
}

bool PresentFrame() {
    if (!present::PresentPending()) return false;
    sound::NoteFramePeriodUs(present::FramePeriodUs());
    if (!base::ClockIsVirtual()) sound::WatchOutput();
    return RunIsDone();
}

}  // namespace platform::run
