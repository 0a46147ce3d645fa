// Unseen frames (see platform/warp.h): the warp through the scenes before the
// chosen first one, and the frames of a shots-only run that no shot takes. An
// unseen frame is kept from the screen, the capture and the shots by the
// swap, which latches nothing; its drawing is kept from the pixels by GL's
// rasteriser discard, which still runs every call.
#include "run/warp.h"

#include "platform/bass.h"
#include "platform/trace.h"
#include "present/readback.h"
#include "present/surface.h"
#include "base/clock.h"

namespace {

struct UnseenState {
    bool warping = false;
    bool frameUnseen = false;
};

UnseenState& State() {
    static UnseenState state;
    return state;
}

void Rasterise(bool on) {
    if (!platform::present::CurrentContext()) return;
    if (on) glDisable(GL_RASTERIZER_DISCARD);
    else glEnable(GL_RASTERIZER_DISCARD);
}

}  // namespace

namespace platform {

namespace run {

void StartFrame(MusicPosition position) {
    UnseenState& s = State();
    // When shots are all the run makes, nothing else needs the frames between them.
    s.frameUnseen = s.warping || (present::RunMakesOnlyShots() && !present::ShotDueAt(position));
    Rasterise(!s.frameUnseen);
}

bool FrameUnseen() { return State().frameUnseen; }

}  // namespace run

void BeginWarp() {
    UnseenState& s = State();
    TraceLine("{\"type\":\"unseen\"}");
    s.warping = true;
    present::DropLatchedFrame();
    base::UseVirtualClock(true);
    PlayMusicUnheard(true);
    MuteShowTrace(true);
}

void EndWarp(uint32_t music, uint32_t firstOrder) {
    UnseenState& s = State();
    s.warping = false;
    s.frameUnseen = false;
    Rasterise(true);
    MuteShowTrace(false);
    PlayMusicUnheard(false);
    base::UseVirtualClock(false);
    if (!Options().headless && music) HearMusicFromOrder(music, firstOrder);
}

}  // namespace platform
