// The warp: the scenes before a chosen first scene, run unseen.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Runs the scenes before the chosen first one in a moment, so that what they
// leave behind is as a full run leaves it. While warping nothing is shown or
// heard. The frames run are frames of a full run at the run's frame rate, with
// that frame's position and tick count: the first frame to see each row, so
// every per-tick ramp starts and stops on the same tick as in a full run, and
// every frame of a scene's last two seconds, drawn without rasterising, so
// state that its last draws leave (a material fading out, say) is the same.
// A scene's last frame is drawn in full. Headless, the show's clock then
// stands where a full run's would, so the next scene starts on the same frame.
struct OrderTiming {
    int64_t startSample;  // from the start of the module, at 44100 Hz (-1 if unknown)
    uint32_t rows;
};
void BeginWarp();
// The frames of a scene from `fromOrder` until it sees `toOrder`; `timing`
// holds every order up to `toOrder` included.
void WarpThrough(uint32_t fromOrder, uint32_t toOrder, const std::vector<OrderTiming>& timing);
bool WarpDrawsThisFrame();
void EndWarp();

}  // namespace platform
