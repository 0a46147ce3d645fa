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
    bool seeking = false;
    bool leavingVirtualClock = false;  // the seek's frame is seen; after its swap the run is the show's
    platform::SeekTarget target;
    uint32_t music = 0;
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

bool Reached(const platform::SeekTarget& target, int scene, platform::MusicPosition position) {
    if (target.byFrame) return platform::ShowFrameNow() >= target.frame;
    return scene >= target.scene && position >= target.position;
}

// The frame that reaches the seek's target is seen, all of it a whole run's
// (its position line printed after the swap too).
void SeeTheTarget(UnseenState& s) {
    s.seeking = false;
    s.warping = false;
    s.leavingVirtualClock = true;
    platform::MuteShowTrace(false);
}

}  // namespace

namespace platform::run {

// After the seek's frame: a real-time run goes on in real time from there,
// the music heard from where it stands, or paused there.
void AfterSeekFrame() {
    UnseenState& s = State();
    if (!s.leavingVirtualClock) return;
    s.leavingVirtualClock = false;
    PlayMusicUnheard(false);
    base::UseVirtualClock(false);
    if (Options().headless) return;
    if (s.target.heard) HearMusicFromHere(s.music);
    else base::HoldWallClock(true);
}

}  // namespace platform::run

namespace {


}  // namespace

namespace platform {

namespace run {

void StartFrame(int scene, MusicPosition position) {
    UnseenState& s = State();
    AfterSeekFrame();
    if (s.seeking && Reached(s.target, scene, position)) SeeTheTarget(s);
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

void BeginSeek(uint32_t music, const SeekTarget& target) {
    UnseenState& s = State();
    run::AfterSeekFrame();
    if (!s.warping) {
        StopHearingMusic(music);
        ForgetUnheardSyncs(music);
        BeginWarp();
    }
    s.seeking = true;
    s.target = target;
    s.music = music;
}

bool Seeking() { return State().seeking; }

uint64_t ShowFrameNow() {
    if (base::ClockIsVirtual()) return base::ShowFramesNow();
    // The virtual clock's frame k stands at k * 1000 / fps whole milliseconds.
    uint64_t fps = static_cast<uint64_t>(Options().framesPerSecond);
    return (static_cast<uint64_t>(ShowTimeMs()) * fps + 999) / 1000;
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
