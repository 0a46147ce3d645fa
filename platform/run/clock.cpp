// The tick count and the show clock. In a real window the tick count is
// SDL's millisecond clock; headless it is a virtual clock that moves on one
// frame (1000 / fps ms) at each swap, so every run sees the same times. A
// real-time run warps through earlier scenes on that virtual clock too. The
// show clock starts when the music is told to play.
#include "run/clock.h"

#include "platform/options.h"
#include "platform/win32.h"
#include "win32/windows.h"

namespace {

struct ClockState {
    int64_t tickOffset = 0;
    uint64_t swaps = 0;
    uint64_t swapsAtMusicStart = 0;
    uint32_t ticksAtMusicStart = 0;
    bool musicStarted = false;
    bool virtualInRealTime = false;  // a real-time run warping
};

ClockState& State() {
    static ClockState state;
    return state;
}

uint64_t FramesPerSecond() { return static_cast<uint64_t>(platform::Options().framesPerSecond); }

// The tick count before any offset.
uint32_t RawTicks() {
    if (platform::sdl::ClockIsVirtual()) return static_cast<uint32_t>(State().swaps * 1000 / FramesPerSecond());
    return platform::sdl::SdlReady() ? SDL_GetTicks() : 0;
}

}  // namespace

namespace platform::sdl {

void CountSwap() { ++State().swaps; }

void UseVirtualClock(bool on) {
    if (Options().headless || State().virtualInRealTime == on) return;
    uint32_t before = RawTicks();
    State().virtualInRealTime = on;
    State().tickOffset += static_cast<int64_t>(before) - RawTicks();
}

bool ClockIsVirtual() { return Options().headless || State().virtualInRealTime; }

}  // namespace platform::sdl

DWORD GetTickCount() { return static_cast<DWORD>(RawTicks() + static_cast<uint32_t>(State().tickOffset)); }

namespace platform {

uint32_t ShowTimeMs() {
    ClockState& s = State();
    if (!s.musicStarted) return 0;
    if (sdl::ClockIsVirtual()) return static_cast<uint32_t>((s.swaps - s.swapsAtMusicStart) * 1000 / FramesPerSecond());
    return GetTickCount() - s.ticksAtMusicStart;
}

void SetTickCountForTest(uint32_t ticks) { State().tickOffset = static_cast<int64_t>(ticks) - RawTicks(); }

namespace sdl {

void MusicStartedPlaying() {
    ClockState& s = State();
    s.musicStarted = true;
    s.swapsAtMusicStart = s.swaps;
    s.ticksAtMusicStart = GetTickCount();
}

bool MusicHasStarted() { return State().musicStarted; }

uint64_t ShowSampleFramesNow() {
    ClockState& s = State();
    return (s.swaps - s.swapsAtMusicStart) * static_cast<uint64_t>(kSampleRate) / FramesPerSecond();
}

}  // namespace sdl
}  // namespace platform
