// The tick count and the show clock. In a real window the tick count is
// SDL's millisecond clock; headless it is a virtual clock that moves on one
// frame (1000 / fps ms) at each swap, so every run sees the same times. A
// real-time run warps through earlier scenes on that virtual clock too. The
// show clock starts when the music is told to play.
#include "base/clock.h"

#include <SDL.h>

#include "platform/options.h"
#include "platform/win32.h"

namespace {

struct ClockState {
    int64_t tickOffset = 0;
    uint64_t swaps = 0;
    uint64_t swapsAtMusicStart = 0;
    uint32_t ticksAtMusicStart = 0;
    bool musicStarted = false;
    bool virtualInRealTime = false;  // a real-time run warping
    bool wallClockRunning = false;
    bool held = false;      // a paused real-time run: the tick count stands
    uint32_t heldRaw = 0;   // the raw tick count it stands at
};

ClockState& State() {
    static ClockState state;
    return state;
}

uint64_t FramesPerSecond() { return static_cast<uint64_t>(platform::Options().framesPerSecond); }

// The tick count before any offset.
uint32_t RawTicks() {
    if (platform::base::ClockIsVirtual()) return static_cast<uint32_t>(State().swaps * 1000 / FramesPerSecond());
    if (State().held) return State().heldRaw;
    return State().wallClockRunning ? SDL_GetTicks() : 0;
}

}  // namespace

namespace platform::base {

void WallClockRunning(bool running) { State().wallClockRunning = running; }

void CountSwap() { ++State().swaps; }

void UseVirtualClock(bool on) {
    if (Options().headless || State().virtualInRealTime == on) return;
    uint32_t before = RawTicks();
    State().virtualInRealTime = on;
    State().tickOffset += static_cast<int64_t>(before) - RawTicks();
}

bool ClockIsVirtual() { return Options().headless || State().virtualInRealTime; }

void HoldWallClock(bool held) {
    ClockState& s = State();
    if (s.held == held || ClockIsVirtual()) return;
    uint32_t before = RawTicks();
    s.held = false;
    if (held) s.heldRaw = RawTicks();
    s.held = held;
    s.tickOffset += static_cast<int64_t>(before) - RawTicks();
}

ClockReading CurrentClock() {
    const ClockState& s = State();
    return {s.tickOffset, s.swaps, s.swapsAtMusicStart, s.ticksAtMusicStart, s.musicStarted};
}

void RestoreClock(const ClockReading& reading) {
    ClockState& s = State();
    s.tickOffset = reading.tickOffset;
    s.swaps = reading.swaps;
    s.swapsAtMusicStart = reading.swapsAtMusicStart;
    s.ticksAtMusicStart = reading.ticksAtMusicStart;
    s.musicStarted = reading.musicStarted;
}

}  // namespace platform::base

DWORD GetTickCount() { return static_cast<DWORD>(RawTicks() + static_cast<uint32_t>(State().tickOffset)); }

namespace platform {

uint32_t ShowTimeMs() {
    ClockState& s = State();
    if (!s.musicStarted) return 0;
    if (base::ClockIsVirtual()) return static_cast<uint32_t>((s.swaps - s.swapsAtMusicStart) * 1000 / FramesPerSecond());
    return GetTickCount() - s.ticksAtMusicStart;
}

namespace base {

void SetTickCountForTest(uint32_t ticks) { State().tickOffset = static_cast<int64_t>(ticks) - RawTicks(); }

void MusicStartedPlaying() {
    ClockState& s = State();
    s.musicStarted = true;
    s.swapsAtMusicStart = s.swaps;
    s.ticksAtMusicStart = GetTickCount();
}

bool MusicHasStarted() { return State().musicStarted; }

uint64_t ShowFramesNow() {
    const ClockState& s = State();
    return s.musicStarted ? s.swaps - s.swapsAtMusicStart : 0;
}

uint64_t ShowSampleFramesNow() {
    ClockState& s = State();
    return (s.swaps - s.swapsAtMusicStart) * static_cast<uint64_t>(kSampleRate) / FramesPerSecond();
}

}  // namespace base
}  // namespace platform
