// Which frame of a playing channel is being heard: the arithmetic of the
// estimate, kept apart from the audio device so it can be checked alone.
#pragma once

#include <cstdint>

namespace platform {

struct HeardEstimate {
    int64_t deliveredFrames = 0;      // frames the device has taken since it opened
    int64_t bufferFrames = 0;         // what one callback fills: still queued when it returns
    int64_t sinceCallbackFrames = 0;  // time since the last callback, in frames
    int64_t startDeviceFrame = 0;     // device frame at which the channel's first frame went out
    int64_t latencyFrames = 0;        // the sound server's latency plus the user's offset
};

// The channel frame heard now. It never goes back: when the latency grows,
// the estimate holds at what was last reported (kept in *reported) until the
// sound catches up.
inline uint64_t HeardFrameNow(const HeardEstimate& e, uint64_t* reported) {
    int64_t sinceCallback = e.sinceCallbackFrames < e.bufferFrames ? e.sinceCallbackFrames : e.bufferFrames;
    int64_t heard = e.deliveredFrames - e.bufferFrames + sinceCallback - e.startDeviceFrame - e.latencyFrames;
    uint64_t frame = heard > 0 ? static_cast<uint64_t>(heard) : 0;
    if (frame < *reported) return *reported;
    *reported = frame;
    return frame;
}

}  // namespace platform
