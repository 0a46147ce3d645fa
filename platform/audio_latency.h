// The sound server's latency for this program's own playback stream: when
// SDL's audio goes through a PulseAudio server (PipeWire's included), the
// server is asked four times a second, through libpulse's introspection of the
// program's sink input, for its buffer latency plus its sink's latency.
#pragma once

#include <cstdint>

namespace platform::audio_latency {

// Starts asking, on a thread of its own, when `sdlAudioDriver` talks to such
// a server; otherwise (ALSA direct, the silent device) nothing is asked.
// SDL hands each buffer to the server as soon as it is filled, so the
// server's buffer also holds what the program still counts as the device's;
// `deviceQueuedUs` tells how much that is at the moment an answer arrives,
// and the answer is taken without it.
void Start(const char* sdlAudioDriver, int64_t (*deviceQueuedUs)());
void Stop();

// The latest answer in microseconds, beyond the device's own buffer; 0 until
// the server has answered.
int64_t ServerLatencyUs();

}  // namespace platform::audio_latency
