// Real-time sound on SDL2 (see sdl_output.h). The audio callback runs on
// SDL's audio thread, where waiting on the allocator can glitch the sound:
// its buffers are made when the device opens, and the rows it decodes go to
// room made beforehand for them; the sync thread files them into the timeline.
#include "sound/sdl_output.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/options.h"
#include "run/host.h"
#include "sound/audio_latency.h"
#include "sound/heard_frame.h"

namespace platform::sound {

namespace {

struct Output {
    SDL_AudioDeviceID device = 0;
    int bufferFrames = 0;
    // Under ChannelsLock:
    uint64_t deliveredFrames = 0;
    int64_t lastCallbackClockFrames = 0;
    HeardClock serverClock;  // the sound server's answers, when there is one
    // The audio thread's own:
    std::vector<int16_t> channelSound;
    std::vector<RowStart> rows;
    std::thread syncThread;
    std::atomic<bool> running{false};
    std::atomic<int64_t> framePeriodUs{0};  // set by the frame loop, read by the sync thread

    ~Output() { Close(); }
    void Close() {
        running = false;
        if (syncThread.joinable()) syncThread.join();
        audio_latency::Stop();
        if (device) SDL_CloseAudioDevice(device);
        device = 0;
        serverClock = {};
    }
};

// The channel table is made first, so that it is destroyed after the output,
// whose sync thread and callback walk it until the output closes.
Output& TheOutput() {
    static std::mutex& tableFirst = ChannelsLock();
    (void)tableFirst;
    static Output output;
    return output;
}

// The monotonic clock in frames.
int64_t ClockFrames() {
    return static_cast<int64_t>(static_cast<double>(SDL_GetPerformanceCounter()) /
                                static_cast<double>(SDL_GetPerformanceFrequency()) * kSampleRate);
}

// An answer of the sound server, set against what the device has taken now.
void OnServerAnswer(int64_t latencyUs) {
    Output& out = TheOutput();
    std::lock_guard<std::mutex> guard(ChannelsLock());
    NoteServerAnswer(out.serverClock, static_cast<int64_t>(out.deliveredFrames), ClockFrames(),
                     (latencyUs * kSampleRate + 500000) / 1000000);
}

// Rows go to the room the channel has for them; should the sync thread have
// fallen so far behind that it is full, they are filed at once instead.
void KeepRows(Channel& ch, const std::vector<RowStart>& rows) {
    if (ch.unfiled.size() + rows.size() <= ch.unfiled.capacity()) {
        ch.unfiled.insert(ch.unfiled.end(), rows.begin(), rows.end());
        return;
    }
    FileRows(ch, ch.unfiled);
    ch.unfiled.clear();
    FileRows(ch, rows);
}

void MixChannel(Output& out, Channel& ch, int16_t* mix, int frames) {
    out.rows.clear();
    DecodeChannel(ch, out.channelSound.data(), frames, &out.rows);
    for (int i = 0; i < frames * 2; ++i)
        mix[i] = static_cast<int16_t>(std::clamp(mix[i] + out.channelSound[i], -32768, 32767));
    std::lock_guard<std::mutex> guard(ChannelsLock());
    if (!ch.startedOnDevice) {
        ch.startedOnDevice = true;
        ch.startDeviceFrame = out.deliveredFrames;
    }
    KeepRows(ch, out.rows);
    ch.decodedPublished = ch.decoded;
}

void AudioCallback(void*, Uint8* stream, int bytes) {
    Output& out = TheOutput();
    int frames = bytes / 4;
    auto* mix = reinterpret_cast<int16_t*>(stream);
    std::memset(stream, 0, static_cast<size_t>(bytes));
    // SDL asks for the buffer it was opened with; a larger request is mixed in pieces.
    for (int done = 0; done < frames; done += out.bufferFrames) {
        int piece = std::min(out.bufferFrames, frames - done);
        for (auto& ch : AllChannels())
            if (ch && ch->playing && !ch->lockstep) MixChannel(out, *ch, mix + 2 * done, piece);
    }
    std::lock_guard<std::mutex> guard(ChannelsLock());
    out.deliveredFrames += static_cast<uint64_t>(frames);
    out.lastCallbackClockFrames = ClockFrames();
}

void SyncThread() {
    while (TheOutput().running) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        DeliverHeardSyncs();
    }
}

}  // namespace

void DeliverHeardSyncs() {
    std::vector<PendingSync> due;
    {
        std::lock_guard<std::mutex> guard(ChannelsLock());
        for (auto& ch : AllChannels()) {
            if (!ch || ch->lockstep) continue;
            if (ch->IsModule()) FileRows(*ch, ch->unfiled);
            ch->unfiled.clear();
            TakeDueSyncs(*ch, HeardFrame(*ch), &due);
        }
    }
    for (const PendingSync& sync : due) DeliverSync(sync, true);
}

bool OpenOutput(int device) {
    Output& out = TheOutput();
    if (device == -1) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    } else if (SDL_AudioInit("dummy") != 0) {
        return false;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    out.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!out.device) {
        if (device == -1) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    out.bufferFrames = have.samples;
    out.channelSound.assign(static_cast<size_t>(have.samples) * 2, 0);
    out.rows.reserve(static_cast<size_t>(have.samples) + 1);
    if (device == -1) audio_latency::Start(SDL_GetCurrentAudioDriver(), OnServerAnswer);
    out.running = true;
    // Where there are no threads (a browser) the frame loop delivers them.
    if (host::SyncsHaveAThread()) out.syncThread = std::thread(SyncThread);
    return true;
}

void NoteFramePeriodUs(int64_t periodUs) { TheOutput().framePeriodUs = periodUs; }

void ResumeOutput() {
    if (TheOutput().device) SDL_PauseAudioDevice(TheOutput().device, 0);
}

void CloseOutput() { TheOutput().Close(); }

void LockOutput() {
    if (TheOutput().device) SDL_LockAudioDevice(TheOutput().device);
}

void UnlockOutput() {
    if (TheOutput().device) SDL_UnlockAudioDevice(TheOutput().device);
}

// SDL's device buffer or the sound server's latency, and the user's offset,
// are still ahead of the listener.
uint64_t HeardFrame(Channel& ch) {
    if (!ch.startedOnDevice) return 0;
    Output& out = TheOutput();
    HeardEstimate estimate;
    estimate.deliveredFrames = static_cast<int64_t>(out.deliveredFrames);
    estimate.bufferFrames = out.bufferFrames;
    estimate.clockFrames = ClockFrames();
    estimate.sinceCallbackFrames = estimate.clockFrames - out.lastCallbackClockFrames;
    estimate.startDeviceFrame = static_cast<int64_t>(ch.startDeviceFrame);
    estimate.offsetFrames = static_cast<int64_t>(Options().audioOffsetMs) * kSampleRate / 1000;
    estimate.aheadFrames = 2 * out.framePeriodUs * kSampleRate / 1000000;
    return HeardFrameNow(estimate, out.serverClock, &ch.heardReported);
}

int64_t DecodeLeadFrames() {
    std::lock_guard<std::mutex> guard(ChannelsLock());
    for (auto& ch : AllChannels())
        if (ch && ch->startedOnDevice)
            return static_cast<int64_t>(ch->decodedPublished) - static_cast<int64_t>(HeardFrame(*ch));
    return 0;
}

}  // namespace platform::sound
