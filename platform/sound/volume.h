// The viewer's volume: from the 0..100 of the option and the keys to the
// gain applied to the mix as it goes to the device. It never touches the
// sound's timing: the same frames go out, only quieter.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::sound {

// The gain of a volume: the square of its fraction, so that the steps of
// the keys sound about even (50 is a quarter of the amplitude, 12 dB down);
// 100 leaves the sound as it is, 0 and muted silence it.
float GainOf(int volumePercent, bool muted);
// Multiplies `samples` interleaved samples by a gain that moves evenly from
// `fromGain` to `toGain` across them, so that a change makes no click.
// A gain of 1 throughout leaves every sample exactly as it was.
void ApplyGain(int16_t* samples, size_t count, float fromGain, float toGain);
// The volume a key press of +/- gives: steps of 5, within 0..100.
int StepVolume(int volumePercent, int steps);

}  // namespace platform::sound
