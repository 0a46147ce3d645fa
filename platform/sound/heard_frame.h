// Which frame of a playing channel is being heard: the arithmetic of the
// estimate, kept apart from the audio device so it can be checked alone.
//
// Without a sound server to ask, the device's frames are heard one buffer
// after SDL takes them. With a server, each of its answers (the latency of our
// stream: its buffer plus its sink's) bounds the heard frame at that moment:
// at most the frames SDL has taken less that latency, exactly that when SDL
// holds nothing back, less when SDL still holds part of its last buffer for
// the server to ask for (it hands buffers over as the server asks, at a pace
// of its own). Heard frames advance with the clock, so each answer's bound
// less the clock (its lead), at its least over the last answers, places them.
//
// A position read now is seen about two frame periods later (one to draw the
// frame, one for the display to take it up), so the estimate looks that far
// ahead: the picture shows the sound heard when it appears.
#pragma once

#include <cstdint>

namespace platform {

// The leads of the last answers, in frames.
struct HeardClock {
    static constexpr int kAnswers = 50;  // five seconds of answers at ten a second
    int64_t leadFrames[kAnswers] = {};
    int count = 0;
    int next = 0;
};

// An answer from the server: `latencyFrames` when the device had taken
// `deliveredFrames` and the clock read `clockFrames`.
inline void NoteServerAnswer(HeardClock& c, int64_t deliveredFrames, int64_t clockFrames, int64_t latencyFrames) {
    c.leadFrames[c.next] = deliveredFrames - latencyFrames - clockFrames;
    c.next = (c.next + 1) % HeardClock::kAnswers;
    if (c.count < HeardClock::kAnswers) ++c.count;
}

inline int64_t LeastLead(const HeardClock& c) {
    int64_t least = c.leadFrames[0];
    for (int i = 1; i < c.count; ++i)
        if (c.leadFrames[i] < least) least = c.leadFrames[i];
    return least;
}

struct HeardEstimate {
    int64_t deliveredFrames = 0;      // frames the device has taken since it opened
    int64_t bufferFrames = 0;         // what one callback fills: still queued when it returns
    int64_t sinceCallbackFrames = 0;  // time since the last callback, in frames
    int64_t clockFrames = 0;          // the clock now, in frames
    int64_t startDeviceFrame = 0;     // device frame at which the channel's first frame went out
    int64_t offsetFrames = 0;         // the user's offset: heard this much later still
    int64_t aheadFrames = 0;          // how long until the frame being drawn is seen
};

// The channel frame heard now. It never goes back: when the latency grows,
// the estimate holds at what was last reported (kept in *reported) until the
// sound catches up.
inline uint64_t HeardFrameNow(const HeardEstimate& e, const HeardClock& clock, uint64_t* reported) {
    int64_t heardDevice;
    if (clock.count > 0) {
        heardDevice = LeastLead(clock) + e.clockFrames;
    } else {
        int64_t since = e.sinceCallbackFrames < e.bufferFrames ? e.sinceCallbackFrames : e.bufferFrames;
        heardDevice = e.deliveredFrames - e.bufferFrames + since;
    }
    heardDevice += e.aheadFrames;
    if (heardDevice > e.deliveredFrames) heardDevice = e.deliveredFrames;
    int64_t heard = heardDevice - e.offsetFrames - e.startDeviceFrame;
    uint64_t frame = heard > 0 ? static_cast<uint64_t>(heard) : 0;
    if (frame < *reported) return *reported;
    *reported = frame;
    return frame;
}

}  // namespace platform
