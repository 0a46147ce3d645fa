// The sound server's latency for this program's own playback stream: when
// SDL's audio goes through a PulseAudio server (PipeWire's included), the
// server is asked ten times a second, through libpulse's introspection of the
// program's sink input, for its buffer latency plus its sink's latency.
#pragma once

#include <cstdint>

namespace platform::sound::audio_latency {

// Starts asking, on a thread of its own, when `sdlAudioDriver` talks to such
// a server; otherwise (ALSA direct, the silent device) nothing is asked.
// Each answer goes to `onAnswer` (on that thread) as soon as it arrives, so
// the caller can set it against what the device had taken at that moment.
void Start(const char* sdlAudioDriver, void (*onAnswer)(int64_t latencyUs));
void Stop();

}  // namespace platform::sound::audio_latency
