// The browser's own latency for the program's sound: the AudioContext's
// base latency plus its output latency (where the browser reports them),
// read ten times a second by a timer of the page and handed in as the sound
// server's answer is on the desktop.
#include <emscripten.h>

#include "sound/audio_latency.h"

namespace {

void (*g_onAnswer)(int64_t latencyUs) = nullptr;

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void PqnAudioLatencyAnswer(double latencyUs) {
    if (g_onAnswer) g_onAnswer(static_cast<int64_t>(latencyUs));
}

EM_JS(void, StartLatencyTimer, (), {
    if (Module.pqnLatencyTimer) return;
    Module.pqnLatencyTimer = setInterval(function() {
        const context = Module.SDL2 && Module.SDL2.audioContext;
        if (!context || context.state !== 'running') return;
        const seconds = (context.baseLatency || 0) + (context.outputLatency || 0);
        Module._PqnAudioLatencyAnswer(seconds * 1e6);
    }, 100);
});

EM_JS(void, StopLatencyTimer, (), {
    if (Module.pqnLatencyTimer) clearInterval(Module.pqnLatencyTimer);
    Module.pqnLatencyTimer = 0;
});

namespace platform::sound::audio_latency {

void Start(const char*, void (*onAnswer)(int64_t latencyUs)) {
    g_onAnswer = onAnswer;
    StartLatencyTimer();
}

void Stop() {
    StopLatencyTimer();
    g_onAnswer = nullptr;
}

}  // namespace platform::sound::audio_latency
