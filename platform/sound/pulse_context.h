// Connecting a libpulse context on a threaded main loop, shared by the
// program's latency queries and the sync benchmark's recorder.
#pragma once

#include <pulse/pulseaudio.h>

namespace platform::sound::pulse {

inline void SignalLoop(pa_context*, void* loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }

// Connects `context` to the default server (never starting one) and waits
// until it is ready; false when no server answers. Call with the loop locked.
inline bool ConnectAndWait(pa_threaded_mainloop* loop, pa_context* context) {
    pa_context_set_state_callback(context, SignalLoop, loop);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
    for (;;) {
        pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) return true;
        if (!PA_CONTEXT_IS_GOOD(state)) return false;
        pa_threaded_mainloop_wait(loop);
    }
}

}  // namespace platform::sound::pulse
