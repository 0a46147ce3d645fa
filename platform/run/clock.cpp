// The tick count and the show clock. In a real window the tick count is
// SDL's millisecond clock; headless it is a virtual clock that moves on one
// frame (1000 / fps ms) at each swap, so every run sees the same times; while
// earlier scenes are warped through it is the warp's, which the warp pushes in. The show clock starts
// when the music is told to play.
#include "run/clock.h"

#include "platform/options.h"
#include "platform/win32.h"
#include "win32/windows.h"

namespace {

struct ClockState {
    int64_t tickOffset = 0;
    uint64_t swaps = 0;
    uint64_t swapsAtMusicStart = 0;
    uint64_t framesBeforeMusic = 0;  // full-run frames a warp stood for, until the music starts
    uint32_t ticksAtMusicStart = 0;
    bool musicStarted = false;
    bool ticksHeld = false;          // a warp stands in for the tick count
    uint32_t heldTicks = 0;
};

ClockState& State() {
    static ClockState state;
    return state;
}

uint64_t FramesPerSecond() { return static_cast<uint64_t>(platform::Options().framesPerSecond); }

}  // namespace

namespace platform::sdl {

void CountSwap() { ++State().swaps; }

uint64_t Swaps() { return State().swaps; }

void SetSwaps(uint64_t swaps, uint64_t framesBeforeMusic) {
    State().swaps = swaps;
    State().framesBeforeMusic = framesBeforeMusic;
}

uint32_t RawTicks() {
    if (State().ticksHeld) return State().heldTicks;
    if (Options().headless) return static_cast<uint32_t>(State().swaps * 1000 / FramesPerSecond());
    return SdlReady() ? SDL_GetTicks() : 0;
}

void ShiftTicks(int64_t ms) { State().tickOffset += ms; }

void HoldTicks(uint32_t ticks) {
    State().ticksHeld = true;
    State().heldTicks = ticks;
}

void ReleaseTicks() { State().ticksHeld = false; }

}  // namespace platform::sdl

DWORD GetTickCount() { return static_cast<DWORD>(platform::sdl::RawTicks() + static_cast<uint32_t>(State().tickOffset)); }

namespace platform {

uint32_t ShowTimeMs() {
    ClockState& s = State();
    if (!s.musicStarted) return 0;
    if (Options().headless) return static_cast<uint32_t>((s.swaps - s.swapsAtMusicStart) * 1000 / FramesPerSecond());
    return GetTickCount() - s.ticksAtMusicStart;
}

void SetTickCountForTest(uint32_t ticks) { State().tickOffset = static_cast<int64_t>(ticks) - sdl::RawTicks(); }

namespace sdl {

void MusicStartedPlaying() {
    ClockState& s = State();
    s.musicStarted = true;
    s.swapsAtMusicStart = s.swaps - s.framesBeforeMusic;
    s.framesBeforeMusic = 0;
    s.ticksAtMusicStart = GetTickCount();
}

bool MusicHasStarted() { return State().musicStarted; }

uint64_t ShowSampleFramesNow() {
    ClockState& s = State();
    return (s.swaps - s.swapsAtMusicStart) * static_cast<uint64_t>(kSampleRate) / FramesPerSecond();
}

}  // namespace sdl
}  // namespace platform
