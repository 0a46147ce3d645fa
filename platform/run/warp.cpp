// The warp: the scenes before the chosen first one run in a moment, on the
// frames of a full run that matter (see BeginWarp in runtime.h). This file
// works out those frames from the module's order timing and stands in for the
// clock and the music position while they run.
#include <algorithm>
#include <vector>

#include "run/warp.h"

#include "platform/options.h"
#include "platform/trace.h"
#include "present/surface.h"
#include "run/clock.h"

namespace {

using platform::kSampleRate;

// How a frame run while warping is drawn.
enum class WarpDraw { None, Unrasterised, Full };

struct WarpFrame {
    uint64_t frame;  // of a full run: swaps since the music started
    platform::MusicPosition position;
    WarpDraw draw;
};

struct WarpState {
    bool warping = false;
    uint64_t baseSwaps = 0;        // swaps when the warp began, where a full run starts its music
    uint64_t nextFrame = 0;        // the full-run frame the next scene starts on
    std::vector<WarpFrame> frames; // still to come, last first
    uint64_t frame = 0;
    uint32_t ticks = 0;
    platform::MusicPosition position{0, 0};
    WarpDraw draw = WarpDraw::Full;
};

WarpState& State() {
    static WarpState state;
    return state;
}

uint64_t OrderStartSample(const std::vector<platform::OrderTiming>& timing, uint32_t order) {
    return static_cast<uint64_t>(std::max<int64_t>(timing[order].startSample, 0));
}

// Rows are taken as evenly spaced within an order.
uint64_t RowStartSample(const std::vector<platform::OrderTiming>& timing, uint32_t order, uint32_t row) {
    uint64_t start = OrderStartSample(timing, order), next = OrderStartSample(timing, order + 1);
    uint64_t span = next > start ? next - start : 0;
    return start + span * row / std::max<uint32_t>(timing[order].rows, 1);
}

// The first frame of a full run whose music has reached `sample`.
uint64_t FirstFrameAt(uint64_t sample, uint64_t fps) { return (sample * fps + kSampleRate - 1) / kSampleRate; }

// The row playing at `sample`, between `fromOrder` and row 0 of `toOrder`.
platform::MusicPosition PositionAtSample(const std::vector<platform::OrderTiming>& timing, uint32_t fromOrder,
                                         uint32_t toOrder, uint64_t sample) {
    uint32_t order = fromOrder;
    while (order < toOrder && OrderStartSample(timing, order + 1) <= sample) ++order;
    if (order == toOrder) return {toOrder, 0};
    uint32_t row = 0;
    while (row + 1 < timing[order].rows && RowStartSample(timing, order, row + 1) <= sample) ++row;
    return {order, row};
}

// The tick count of a full run at one of its frames.
uint32_t WarpTicksAt(uint64_t frame) {
    return static_cast<uint32_t>((State().baseSwaps + frame) * 1000 /
                                 static_cast<uint64_t>(platform::Options().framesPerSecond));
}

}  // namespace

namespace platform {

namespace sdl {

void StartWarpFrame() {
    WarpState& s = State();
    if (s.frames.empty()) return;
    const WarpFrame& next = s.frames.back();
    s.frame = next.frame;
    s.position = next.position;
    s.ticks = WarpTicksAt(next.frame);
    HoldTicks(s.ticks);
    s.draw = next.draw;
    if (CurrentContext()) {
        if (next.draw == WarpDraw::Unrasterised) glEnable(GL_RASTERIZER_DISCARD);
        else glDisable(GL_RASTERIZER_DISCARD);
    }
    s.frames.pop_back();
}

// A full run's clock moves on at its swap.
void WarpSwap() {
    State().ticks = WarpTicksAt(State().frame + 1);
    HoldTicks(State().ticks);
}

bool Warping() { return State().warping; }

uint32_t WarpPosition() { return State().position.order | (State().position.row << 16); }

}  // namespace sdl

void BeginWarp() {
    WarpState& s = State();
    s.warping = true;
    sdl::DropLatchedFrame();
    s.baseSwaps = sdl::Swaps();
    s.nextFrame = 0;
    s.ticks = WarpTicksAt(0);
    sdl::HoldTicks(s.ticks);
    MuteFrameTrace(true);
}

void WarpThrough(uint32_t fromOrder, uint32_t toOrder, const std::vector<OrderTiming>& timing) {
    WarpState& s = State();
    s.frames.clear();
    if (toOrder >= timing.size() || fromOrder > toOrder || timing[toOrder].startSample < 0) {
        s.frames.push_back({s.nextFrame++, {toOrder, 0}, WarpDraw::None});  // no timing: straight to the end
        return;
    }
    const uint64_t fps = static_cast<uint64_t>(Options().framesPerSecond);
    const uint64_t first = s.nextFrame;
    const uint64_t endSample = OrderStartSample(timing, toOrder);
    const uint64_t last = std::max(first, FirstFrameAt(endSample, fps));
    const uint64_t drawnFrom = FirstFrameAt(endSample > 2 * kSampleRate ? endSample - 2 * kSampleRate : 0, fps);
    std::vector<uint64_t> frames{first, last};
    for (uint32_t order = fromOrder; order < toOrder; ++order)
        for (uint32_t row = 0; row < timing[order].rows; ++row) {
            uint64_t frame = FirstFrameAt(RowStartSample(timing, order, row), fps);
            if (frame > first && frame < last) frames.push_back(frame);
        }
    for (uint64_t frame = std::max(first, drawnFrom); frame < last; ++frame) frames.push_back(frame);
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    // Filled last first, so the next frame is at the back.
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        WarpDraw draw = *frame == last ? WarpDraw::Full : *frame >= drawnFrom ? WarpDraw::Unrasterised : WarpDraw::None;
        uint64_t sample = *frame * kSampleRate / fps;
        s.frames.push_back({*frame, PositionAtSample(timing, fromOrder, toOrder, sample), draw});
    }
    s.nextFrame = last + 1;
}

bool WarpDrawsThisFrame() { return !State().warping || State().draw != WarpDraw::None; }

void EndWarp() {
    WarpState& s = State();
    s.warping = false;
    sdl::ReleaseTicks();
    MuteFrameTrace(false);
    s.frames.clear();
    if (sdl::CurrentContext()) glDisable(GL_RASTERIZER_DISCARD);
    if (Options().headless) {
        // The clock stands where a full run's would after the last warp frame.
        sdl::SetSwaps(s.baseSwaps + s.nextFrame, s.nextFrame);
    } else {
        sdl::ShiftTicks(static_cast<int64_t>(s.ticks) - sdl::RawTicks());
    }
}

}  // namespace platform
