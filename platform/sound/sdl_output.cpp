// Real-time sound on SDL2 (see sdl_output.h). The audio callback runs on
// SDL's audio thread, where waiting for a lock or the allocator can glitch
// the sound: it takes no lock (the counters it shares are atomic, and the
// pair the heard frame reads together is published under a sequence count),
// its buffers are made when the device opens, and the rows it decodes go
// through each channel's ring, made beforehand, to the sync thread, which
// files them into the timeline.
#include "sound/sdl_output.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/options.h"
#include "host/host.h"
#include "sound/audio_latency.h"
#include "sound/heard_frame.h"
#include "sound/volume.h"

namespace platform::sound {

namespace {

// What the callback has handed to the device, and when: written by the
// callback alone, read as a consistent pair from any thread (a sequence
// count, odd while a write is under way).
struct DeviceProgress {
    std::atomic<uint32_t> sequence{0};
    std::atomic<uint64_t> deliveredFrames{0};
    std::atomic<int64_t> lastCallbackClockFrames{0};

    void Publish(uint64_t delivered, int64_t clockFrames) {
        uint32_t s = sequence.load(std::memory_order_relaxed);
        sequence.store(s + 1, std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_release);
        deliveredFrames.store(delivered, std::memory_order_relaxed);
        lastCallbackClockFrames.store(clockFrames, std::memory_order_relaxed);
        sequence.store(s + 2, std::memory_order_release);
    }
    void Read(uint64_t* delivered, int64_t* clockFrames) const {
        for (;;) {
            uint32_t before = sequence.load(std::memory_order_acquire);
            *delivered = deliveredFrames.load(std::memory_order_relaxed);
            *clockFrames = lastCallbackClockFrames.load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (!(before & 1) && sequence.load(std::memory_order_relaxed) == before) return;
        }
    }
    void Reset() { Publish(0, 0); }
};

struct Output {
    SDL_AudioDeviceID device = 0;
    std::atomic<int> bufferFrames{0};
    DeviceProgress progress;
    HeardClock serverClock;  // the sound server's answers, when there is one (under ChannelsLock)
    // The audio thread's own:
    uint64_t deliveredFrames = 0;
    std::vector<int16_t> channelSound;
    std::vector<RowStart> rows;
    std::thread syncThread;
    std::atomic<bool> running{false};
    std::atomic<int64_t> framePeriodUs{0};  // set by the frame loop, read by the sync thread
    bool realDevice = false;                // a device of the sound system, not SDL's silent one
    bool lost = false;                      // the real device went away; looking for one
    uint32_t lastLookMs = 0;
    std::atomic<float> gain{1};             // the viewer's volume, set by the frame loop
    float gainApplied = 1;                  // the audio thread's: where the last buffer's ramp ended

    ~Output() { Close(); }
    void Close() {
        running = false;
        if (syncThread.joinable()) syncThread.join();
        sound::audio_latency::Stop();
        if (device) SDL_CloseAudioDevice(device);
        device = 0;
        deliveredFrames = 0;
        progress.Reset();
        serverClock = {};
    }
};

// How often the frame loop looks at the device, and, once it has gone
// away, how often it looks for a new one.
constexpr uint32_t kLookAtDeviceMs = 250;
constexpr uint32_t kLookForDeviceMs = 2000;

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
    uint64_t delivered = 0;
    int64_t lastCallbackClockFrames = 0;
    out.progress.Read(&delivered, &lastCallbackClockFrames);
    std::lock_guard<std::mutex> guard(ChannelsLock());
    NoteServerAnswer(out.serverClock, static_cast<int64_t>(delivered), ClockFrames(),
                     (latencyUs * kSampleRate + 500000) / 1000000);
}

// Rows go to the room the channel has for them. Should the sync thread have
// fallen so far behind that it is full (tens of seconds at the fastest rows),
// the rest are counted as lost, and said, rather than wait or allocate here.
void KeepRows(Channel& ch, const std::vector<RowStart>& rows) {
    for (const RowStart& row : rows)
        if (!ch.unfiled.Push(row)) ch.lostRows.fetch_add(1, std::memory_order_relaxed);
}

void MixChannel(Output& out, Channel& ch, int16_t* mix, int frames) {
    out.rows.clear();
    DecodeChannel(ch, out.channelSound.data(), frames, &out.rows);
    for (int i = 0; i < frames * 2; ++i)
        mix[i] = static_cast<int16_t>(std::clamp(mix[i] + out.channelSound[i], -32768, 32767));
    if (!ch.startedOnDevice.load(std::memory_order_relaxed)) {
        ch.startDeviceFrame.store(out.deliveredFrames, std::memory_order_relaxed);
        ch.startedOnDevice.store(true, std::memory_order_release);
    }
    KeepRows(ch, out.rows);
    ch.decodedPublished.store(ch.decoded, std::memory_order_release);
}

void AudioCallback(void*, Uint8* stream, int bytes) {
    Output& out = TheOutput();
    int frames = bytes / 4;
    auto* mix = reinterpret_cast<int16_t*>(stream);
    std::memset(stream, 0, static_cast<size_t>(bytes));
    // SDL asks for the buffer it was opened with; a larger request is mixed in pieces.
    int bufferFrames = out.bufferFrames.load(std::memory_order_relaxed);
    for (int done = 0; done < frames; done += bufferFrames) {
        int piece = std::min(bufferFrames, frames - done);
        for (auto& ch : AllChannels())
            if (ch && ch->playing && !ch->lockstep) MixChannel(out, *ch, mix + 2 * done, piece);
    }
    float gain = out.gain.load(std::memory_order_relaxed);
    ApplyGain(mix, static_cast<size_t>(frames) * 2, out.gainApplied, gain);
    out.gainApplied = gain;
    out.deliveredFrames += static_cast<uint64_t>(frames);
    out.progress.Publish(out.deliveredFrames, ClockFrames());
}

// The rows waiting in a channel's ring go into its timeline; rows the ring
// had no room for are said once.
void FileWaitingRows(Channel& ch) {
    RowStart row;
    while (ch.unfiled.Pop(&row))
        if (ch.IsModule()) FileRow(ch, row);
    if (ch.lostRows.load(std::memory_order_relaxed) == 0) return;
    static bool said = false;
    if (!said) std::fprintf(stderr, "pqn: the sound ran too far ahead of its sync thread; some syncs are lost\n");
    said = true;
}

void SyncThread() {
    while (TheOutput().running) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        DeliverHeardSyncs();
    }
}

// The default output could not be opened: one line, then the silent output.
bool SayNoOutput() {
    std::fprintf(stderr, "pqn: no sound output could be opened (%s); the show runs silent\n", SDL_GetError());
    return false;
}

}  // namespace

std::mutex& SyncDeliveryLock() {
    static std::mutex lock;
    return lock;
}

void DeliverHeardSyncs() {
    std::lock_guard<std::mutex> delivering(SyncDeliveryLock());
    std::vector<PendingSync> due;
    {
        std::lock_guard<std::mutex> guard(ChannelsLock());
        for (auto& ch : AllChannels()) {
            if (!ch || ch->lockstep) continue;
            FileWaitingRows(*ch);
            TakeDueSyncs(*ch, HeardFrame(*ch), &due);
        }
    }
    for (const PendingSync& sync : due) DeliverSync(sync, true);
}

namespace {

// The device --audio-device names, if SDL's driver has one of that name; the
// default (null) otherwise, said once.
const char* ChosenDevice() {
    const std::string& asked = Options().audioDevice;
    if (asked.empty()) return nullptr;
    for (int i = 0; i < SDL_GetNumAudioDevices(0); ++i) {
        const char* name = SDL_GetAudioDeviceName(i, 0);
        if (name && asked == name) return name;
    }
    static bool said = false;
    if (!said)
        std::fprintf(stderr, "pqn: there is no sound device \"%s\" (see --list-audio-devices); the show plays on the default one\n",
                     asked.c_str());
    said = true;
    return nullptr;
}

// Opens a device of the driver SDL has started (paused, as SDL opens it),
// with buffers for what it asks for.
bool OpenDevice(Output& out, const char* name) {
    SDL_AudioSpec want{}, have{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    out.device = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    if (!out.device) return false;
    out.bufferFrames = have.samples;
    out.channelSound.assign(static_cast<size_t>(have.samples) * 2, 0);
    out.rows.reserve(static_cast<size_t>(have.samples) + 1);
    return true;
}

}  // namespace

bool OpenOutput(int device) {
    Output& out = TheOutput();
    if (device == -1) {
        host::QuietSoundLibraries();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return SayNoOutput();
    } else if (SDL_AudioInit("dummy") != 0) {
        return false;
    }
    if (!OpenDevice(out, device == -1 ? ChosenDevice() : nullptr)) {
        if (device != -1) return false;
        SayNoOutput();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    out.gainApplied = out.gain = GainOf(Options().volumePercent, false);
    out.realDevice = device == -1;
    if (device == -1) sound::audio_latency::Start(SDL_GetCurrentAudioDriver(), OnServerAnswer);
    out.running = true;
    // Where there are no threads (a browser) the frame loop delivers them.
    if (host::SyncsHaveAThread()) out.syncThread = std::thread(SyncThread);
    return true;
}

namespace {

// Replaces the device in use by a new one of the sound system as it is now
// (started again, so that a sound server that was restarted is found), or by
// SDL's silent device, which keeps the time as a silent run does. The
// frames handed out so far keep counting, so the sound goes on in step.
void ReopenOutput(Output& out) {
    sound::audio_latency::Stop();
    SDL_CloseAudioDevice(out.device);
    out.device = 0;
    SDL_AudioQuit();
    out.realDevice = SDL_AudioInit(nullptr) == 0 && OpenDevice(out, ChosenDevice());
    if (!out.realDevice && SDL_AudioInit("dummy") == 0) OpenDevice(out, nullptr);
    {
        std::lock_guard<std::mutex> guard(ChannelsLock());
        out.serverClock = {};
    }
    if (!out.device) return;
    if (out.realDevice) sound::audio_latency::Start(SDL_GetCurrentAudioDriver(), OnServerAnswer);
    SDL_PauseAudioDevice(out.device, 0);
}

}  // namespace

void WatchOutput() {
    Output& out = TheOutput();
    if (!out.running || !out.device) return;
    uint32_t nowMs = SDL_GetTicks();
    if (nowMs - out.lastLookMs < (out.lost ? kLookForDeviceMs : kLookAtDeviceMs)) return;
    out.lastLookMs = nowMs;
    if (!out.lost) {
        if (!out.realDevice || SDL_GetAudioDeviceStatus(out.device) != SDL_AUDIO_STOPPED) return;
        out.lost = true;
        std::fprintf(stderr, "pqn: the sound device went away; the show goes on silent and looks for one every %u s\n",
                     kLookForDeviceMs / 1000);
        ReopenOutput(out);
    } else {
        ReopenOutput(out);
    }
    if (out.lost && out.realDevice) {
        out.lost = false;
        std::fprintf(stderr, "pqn: the sound plays again, on %s\n", SDL_GetCurrentAudioDriver());
    }
}

void NoteFramePeriodUs(int64_t periodUs) { TheOutput().framePeriodUs = periodUs; }

void ResumeOutput() {
    if (TheOutput().device) SDL_PauseAudioDevice(TheOutput().device, 0);
}

void SetOutputVolume(int volumePercent, bool muted) { TheOutput().gain = GainOf(volumePercent, muted); }

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
    if (!ch.startedOnDevice.load(std::memory_order_acquire)) return 0;
    Output& out = TheOutput();
    uint64_t delivered = 0;
    int64_t lastCallbackClockFrames = 0;
    out.progress.Read(&delivered, &lastCallbackClockFrames);
    HeardEstimate estimate;
    estimate.deliveredFrames = static_cast<int64_t>(delivered);
    estimate.bufferFrames = out.bufferFrames;
    estimate.clockFrames = ClockFrames();
    estimate.sinceCallbackFrames = estimate.clockFrames - lastCallbackClockFrames;
    estimate.startDeviceFrame = static_cast<int64_t>(ch.startDeviceFrame.load(std::memory_order_relaxed));
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
