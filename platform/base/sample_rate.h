// The rate of all the program's sound: the module is decoded, played,
// captured and timed at it.
#pragma once

namespace platform {

constexpr int kSampleRate = 44100;

}  // namespace platform
