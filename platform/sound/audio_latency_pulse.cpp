// Asks a PulseAudio server for the latency of this program's sink input with
// libpulse's threaded main loop: connect once, then query ten times a second
// until stopped (a query is one short round trip). A server that cannot be
// reached gives no answer, and the estimate stays with SDL's own buffer.
#include "sound/audio_latency.h"

#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "sound/pulse_context.h"
#include "platform/trace.h"

namespace platform::sound::audio_latency {

namespace {

struct LatencyState {
    std::deque<int64_t> recentUs;  // the last answers (the poller's own)
    int64_t tracedUs = 0;
    void (*onAnswer)(int64_t latencyUs) = nullptr;
    std::thread poller;
    std::mutex stopLock;
    std::condition_variable stopSignal;
    bool stopping = false;
};

LatencyState& State() {
    static LatencyState state;
    return state;
}

struct Query {
    pa_threaded_mainloop* loop;
    bool done = false;
    bool found = false;
    int64_t latencyUs = 0;
};

bool IsOurs(const pa_sink_input_info* info) {
    const char* pid = info->proplist ? pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID) : nullptr;
    return pid && std::atoi(pid) == static_cast<int>(getpid());
}

void OnSinkInput(pa_context*, const pa_sink_input_info* info, int last, void* userdata) {
    auto* query = static_cast<Query*>(userdata);
    if (last || !info) {
        query->done = true;
        pa_threaded_mainloop_signal(query->loop, 0);
        return;
    }
    if (!IsOurs(info)) return;
    query->found = true;
    int64_t latencyUs = static_cast<int64_t>(info->buffer_usec + info->sink_usec);
    State().onAnswer(latencyUs);  // at once: the answer holds for this moment
    query->latencyUs = latencyUs;
}

// The trace gets the mean of the last two seconds' answers (a single answer
// catches the server's buffer at any point of its fill) when it has moved by
// a millisecond or more.
void TraceAnswer(int64_t answerUs) {
    LatencyState& s = State();
    s.recentUs.push_back(answerUs);
    if (s.recentUs.size() > 20) s.recentUs.pop_front();
    int64_t sum = 0;
    for (int64_t us : s.recentUs) sum += us;
    int64_t meanUs = sum / static_cast<int64_t>(s.recentUs.size());
    if (std::llabs(meanUs - s.tracedUs) < 1000) return;
    s.tracedUs = meanUs;
    platform::TraceLine("{\"type\":\"latency\",\"server_us\":" + std::to_string(meanUs) + "}");
}

// One round trip to the server; false once the connection is gone.
bool AskOnce(pa_threaded_mainloop* loop, pa_context* context) {
    pa_threaded_mainloop_lock(loop);
    Query query{loop};
    pa_operation* operation = pa_context_get_sink_input_info_list(context, OnSinkInput, &query);
    bool alive = operation != nullptr;
    while (operation && !query.done && pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
        pa_threaded_mainloop_wait(loop);
    if (operation) pa_operation_unref(operation);
    pa_threaded_mainloop_unlock(loop);
    if (query.found) TraceAnswer(query.latencyUs);
    return alive && pa_context_get_state(context) == PA_CONTEXT_READY;
}

bool WaitUntilReady(pa_threaded_mainloop* loop, pa_context* context) {
    pa_threaded_mainloop_lock(loop);
    bool ready = platform::sound::pulse::ConnectAndWait(loop, context);
    pa_threaded_mainloop_unlock(loop);
    return ready;
}

void Poll() {
    LatencyState& s = State();
    pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
    if (!loop) return;
    pa_context* context = pa_context_new(pa_threaded_mainloop_get_api(loop), "pqn sound latency");
    if (context && pa_threaded_mainloop_start(loop) >= 0 && WaitUntilReady(loop, context)) {
        for (int asked = 1;; ++asked) {
            if (!AskOnce(loop, context)) break;
            // 70 to 130 ms apart, never in step with the server's own period,
            // so the answers catch the stream at every point of its cycle.
            auto pause = std::chrono::milliseconds(70 + (asked * 37) % 61);
            std::unique_lock<std::mutex> lock(s.stopLock);
            if (s.stopSignal.wait_for(lock, pause, [&] { return s.stopping; })) break;
        }
    }
    pa_threaded_mainloop_stop(loop);
    if (context) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    pa_threaded_mainloop_free(loop);
}

}  // namespace

void Start(const char* sdlAudioDriver, void (*onAnswer)(int64_t latencyUs)) {
    LatencyState& s = State();
    if (!sdlAudioDriver || !onAnswer || s.poller.joinable()) return;
    s.onAnswer = onAnswer;
    s.recentUs.clear();
    s.tracedUs = 0;
    if (std::strcmp(sdlAudioDriver, "pulseaudio") != 0 && std::strcmp(sdlAudioDriver, "pipewire") != 0) return;
    s.stopping = false;
    s.poller = std::thread(Poll);
}

void Stop() {
    LatencyState& s = State();
    {
        std::lock_guard<std::mutex> lock(s.stopLock);
        s.stopping = true;
    }
    s.stopSignal.notify_all();
    if (s.poller.joinable()) s.poller.join();
}

}  // namespace platform::sound::audio_latency
