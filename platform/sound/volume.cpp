// The viewer's volume as a gain on the mix (see volume.h).
#include "sound/volume.h"

#include <algorithm>
#include <cmath>

namespace platform::sound {

float GainOf(int volumePercent, bool muted) {
    if (muted) return 0;
    float fraction = static_cast<float>(std::clamp(volumePercent, 0, 100)) / 100.0f;
    return fraction * fraction;
}

void ApplyGain(int16_t* samples, size_t count, float fromGain, float toGain) {
    if (fromGain == 1 && toGain == 1) return;
    for (size_t i = 0; i < count; ++i) {
        float gain = fromGain + (toGain - fromGain) * static_cast<float>(i + 1) / static_cast<float>(count);
        samples[i] = static_cast<int16_t>(std::lround(static_cast<float>(samples[i]) * gain));
    }
}

int StepVolume(int volumePercent, int steps) { return std::clamp(volumePercent + 5 * steps, 0, 100); }

}  // namespace platform::sound
