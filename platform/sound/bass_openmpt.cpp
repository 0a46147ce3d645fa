// The sound-library calls of bass.h on libopenmpt and SDL2 audio.
//
// A module is decoded row by row: after each row starts, the decoder reads in
// bulk up to just before the row's expected end and then one frame at a time,
// so the first frame of every row is known exactly. Row starts and the E8x
// cues on them go into a timeline. In real time the audio callback decodes,
// the position reported is the row of the frame being heard (frames delivered
// minus the device buffer, plus the time since the last callback), and a sync
// thread calls the sync procedures as their rows are heard. Headless runs
// decode in lockstep with the virtual clock and call the syncs on the caller's
// thread, so every run gives the same frames.
//
// libopenmpt would pan on E8x, which here is only a sync marker, so the copy
// of an XM module that is played has its E8x cells cleared.
//
// A module that comes to its end, or loops back to an earlier order, has
// finished: from that moment its position reads as order 65535, row 65535
// (as the library reports for a bad handle), so a show waiting for a later
// order than the module has still ends. The sound loops on; no more syncs.
#include "platform/bass.h"

#include <SDL.h>
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "sound/audio_latency.h"
#include "platform/capture.h"
#include "platform/data_file.h"
#include "sound/heard_frame.h"
#include "platform/paths.h"
#include "platform/options.h"
#include "platform/trace.h"
#include "present/surface.h"
#include "run/clock.h"
#include "run/warp.h"
#include "sound/xm_sync.h"

namespace {

using platform::sdl::kSampleRate;
constexpr int32_t kTimedOrders = 64;  // orders whose start time and rows are known

struct SyncRegistration {
    SYNCPROC* proc;
    DWORD param;
    DWORD user;
};

constexpr uint32_t kFinished = 0xFFFF;  // order and row of a module that has finished

struct RowStart {
    uint64_t frame;  // channel frame at which the row starts
    uint32_t order;
    uint32_t row;
};

struct PendingSync {
    uint64_t frame;
    DWORD data;
    SyncRegistration target;
    uint32_t order, row;
};

struct Channel {
    DWORD handle = 0;
    bool isModule = false;
    bool loop = false;
    bool playing = false;
    bool ended = false;
    std::unique_ptr<openmpt::module> module;
    xmsync::CueTable cues;  // E8x values by pattern and row
    std::vector<int16_t> pcm;  // streams: interleaved stereo at 44100 Hz
    uint64_t decoded = 0;     // frames decoded since play (decoding thread); headless
                              // after StartMusicAtOrder, from the module's start
    uint64_t decodedPublished = 0;  // the same, as last filed under the lock
    uint64_t heardFrom = 0;   // headless: the first frame that is the show's sound
    int64_t bulkLeft = 0;     // frames that can be read before the next row check
    int32_t lastOrder = -1, lastRow = -1;
    bool finished = false;    // ended or looped back: the position reads as the end
    uint64_t startDeviceFrame = 0;
    uint64_t heardReported = 0;  // real time: the heard frame last reported, which never goes back
    bool started = false;
    std::deque<RowStart> timeline;
    std::deque<PendingSync> pending;
    std::vector<SyncRegistration> syncs;
    bool timed = false;                // orderSeconds and orderRows are filled in
    std::vector<double> orderSeconds;  // start time of each of the first kTimedOrders orders
    std::vector<uint32_t> orderRows;   // rows of their patterns
    DWORD startPosition = 0;           // reported until the first row is heard
};

struct AudioOutput {
    std::mutex lock;  // guards channels' timelines, pending syncs and the counters below
    std::vector<std::unique_ptr<Channel>> channels;
    std::vector<int> initDevices;
    bool initialised = false;
    bool realTime = false;
    SDL_AudioDeviceID device = 0;
    int bufferFrames = 0;
    uint64_t deliveredFrames = 0;
    int64_t lastCallbackClockFrames = 0;
    platform::HeardClock serverClock;  // the sound server's answers, when there is one
    std::thread syncThread;
    std::atomic<bool> running{false};
    std::vector<int16_t> mixScratch;

    ~AudioOutput() { Stop(); }
    void Stop() {
        running = false;
        if (syncThread.joinable()) syncThread.join();
        platform::audio_latency::Stop();
        if (device) SDL_CloseAudioDevice(device);
        device = 0;
        serverClock = {};
    }
};

AudioOutput& Output() {
    static AudioOutput output;
    return output;
}

Channel* Find(DWORD handle) {
    AudioOutput& out = Output();
    if (handle == 0 || handle > out.channels.size()) return nullptr;
    return out.channels[handle - 1].get();  // null once freed
}

// The audio callback walks the channel list holding the device's lock, and the
// sync thread holding `lock`: both are held while the list grows.
DWORD Add(std::unique_ptr<Channel> channel) {
    AudioOutput& out = Output();
    if (out.device) SDL_LockAudioDevice(out.device);
    DWORD handle;
    {
        std::lock_guard<std::mutex> guard(out.lock);
        channel->handle = static_cast<DWORD>(out.channels.size() + 1);
        out.channels.push_back(std::move(channel));
        handle = out.channels.back()->handle;
    }
    if (out.device) SDL_UnlockAudioDevice(out.device);
    return handle;
}

void RecordRow(Channel& ch, uint64_t frame, uint32_t order, uint32_t row, uint32_t pattern) {
    ch.timeline.push_back({frame, order, row});
    const std::vector<uint8_t>* values = ch.cues.At(pattern, row);
    if (!values) return;
    for (uint8_t x : *values) {
        for (const SyncRegistration& sync : ch.syncs) {
            DWORD data = sync.param ? x : (order | (row << 16));
            ch.pending.push_back({frame, data, sync, order, row});
        }
    }
}

// Decodes `count` frames of a module, noting the exact first frame of each row.
// The caller holds no lock: only the decoding thread touches the module.
void DecodeModule(Channel& ch, int16_t* out, int count, std::vector<RowStart>* rows) {
    while (count > 0) {
        bool bulk = ch.bulkLeft > 0;
        int chunk = bulk ? static_cast<int>(std::min<int64_t>(ch.bulkLeft, count)) : 1;
        size_t got = ch.ended ? 0 : ch.module->read_interleaved_stereo(kSampleRate, chunk, out);
        if (got == 0) {
            if (!ch.finished) rows->push_back({ch.decoded, kFinished, kFinished});
            ch.finished = true;
            ch.ended = true;
            std::memset(out, 0, sizeof(int16_t) * 2 * count);
            ch.decoded += count;
            return;
        }
        if (bulk) ch.bulkLeft -= static_cast<int64_t>(got);
        int32_t order = ch.module->get_current_order();
        int32_t row = ch.module->get_current_row();
        if (order != ch.lastOrder || row != ch.lastRow) {
            bool loopedBack = ch.lastOrder >= 0 && order < ch.lastOrder;
            ch.lastOrder = order;
            ch.lastRow = row;
            if (loopedBack && !ch.finished) rows->push_back({ch.decoded + got - 1, kFinished, kFinished});
            ch.finished = ch.finished || loopedBack;
            if (!ch.finished) rows->push_back({ch.decoded + got - 1, static_cast<uint32_t>(order), static_cast<uint32_t>(row)});
            int32_t tempo = std::max<int32_t>(ch.module->get_current_tempo(), 1);
            int32_t speed = std::max<int32_t>(ch.module->get_current_speed(), 1);
            int64_t rowFrames = static_cast<int64_t>(speed) * kSampleRate * 5 / (2 * tempo);
            ch.bulkLeft = rowFrames - 64;
        }
        ch.decoded += got;
        out += 2 * got;
        count -= static_cast<int>(got);
    }
}

void DecodeStream(Channel& ch, int16_t* out, int count) {
    uint64_t total = ch.pcm.size() / 2;
    for (int i = 0; i < count; ++i) {
        uint64_t frame = ch.decoded + i;
        if (frame >= total && ch.loop && total > 0) frame %= total;
        bool audible = frame < total;
        out[2 * i] = audible ? ch.pcm[2 * frame] : 0;
        out[2 * i + 1] = audible ? ch.pcm[2 * frame + 1] : 0;
    }
    ch.decoded += count;
}

// Decodes one channel and files its rows and cues; returns the rows found.
void DecodeChannel(Channel& ch, int16_t* out, int count, std::vector<RowStart>* rows) {
    rows->clear();
    if (ch.isModule) DecodeModule(ch, out, count, rows);
    else DecodeStream(ch, out, count);
}

void FileRows(Channel& ch, const std::vector<RowStart>& rows) {
    for (const RowStart& r : rows) {
        if (r.order == kFinished) ch.timeline.push_back(r);
        else RecordRow(ch, r.frame, r.order, r.row, ch.module->get_order_pattern(static_cast<int32_t>(r.order)));
    }
}

// A sync's trace line; in real time it also says when the procedure was
// called on the wall clock ("wall", seconds), to be set against a recording.
void TraceSync(const PendingSync& sync, bool realTime) {
    uint32_t x = sync.target.param ? sync.data : 0xFFFFFFFFu;
    char wall[40] = "";
    if (realTime) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::snprintf(wall, sizeof wall, ",\"wall\":%lld.%06ld", static_cast<long long>(now.tv_sec), now.tv_nsec / 1000);
    }
    char line[200];
    std::snprintf(line, sizeof line, "{\"type\":\"sync\",\"x\":%d,\"ms\":%llu,\"order\":%u,\"row\":%u%s}",
                  x == 0xFFFFFFFFu ? -1 : static_cast<int>(x),
                  static_cast<unsigned long long>(sync.frame * 1000 / kSampleRate), sync.order, sync.row, wall);
    platform::TraceLine(line);
}

// The monotonic clock in frames.
int64_t ClockFrames() {
    return static_cast<int64_t>(static_cast<double>(SDL_GetPerformanceCounter()) /
                                static_cast<double>(SDL_GetPerformanceFrequency()) * kSampleRate);
}

// Frames of the channel heard when the frame being drawn is seen (real time),
// under out.lock: SDL's device buffer or the sound server's latency, and the
// user's offset, are still ahead of the listener.
uint64_t HeardFrame(AudioOutput& out, Channel& ch) {
    if (!ch.started) return 0;
    platform::HeardEstimate estimate;
    estimate.deliveredFrames = static_cast<int64_t>(out.deliveredFrames);
    estimate.bufferFrames = out.bufferFrames;
    estimate.clockFrames = ClockFrames();
    estimate.sinceCallbackFrames = estimate.clockFrames - out.lastCallbackClockFrames;
    estimate.startDeviceFrame = static_cast<int64_t>(ch.startDeviceFrame);
    estimate.offsetFrames = static_cast<int64_t>(platform::Options().audioOffsetMs) * kSampleRate / 1000;
    estimate.aheadFrames = 2 * platform::sdl::FramePeriodUs() * kSampleRate / 1000000;
    return platform::HeardFrameNow(estimate, out.serverClock, &ch.heardReported);
}

// An answer of the sound server, set against what the device has taken now.
void OnServerAnswer(int64_t latencyUs) {
    AudioOutput& out = Output();
    std::lock_guard<std::mutex> guard(out.lock);
    platform::NoteServerAnswer(out.serverClock, static_cast<int64_t>(out.deliveredFrames), ClockFrames(),
                               (latencyUs * kSampleRate + 500000) / 1000000);
}

void AudioCallback(void*, Uint8* stream, int bytes) {
    AudioOutput& out = Output();
    int frames = bytes / 4;
    auto* mix = reinterpret_cast<int16_t*>(stream);
    std::memset(stream, 0, static_cast<size_t>(bytes));
    out.mixScratch.resize(static_cast<size_t>(frames) * 2);
    std::vector<RowStart> rows;
    for (auto& chPtr : out.channels) {
        if (!chPtr || !chPtr->playing) continue;
        Channel& ch = *chPtr;
        DecodeChannel(ch, out.mixScratch.data(), frames, &rows);
        for (int i = 0; i < frames * 2; ++i)
            mix[i] = static_cast<int16_t>(std::clamp(mix[i] + out.mixScratch[i], -32768, 32767));
        std::lock_guard<std::mutex> guard(out.lock);
        if (!ch.started) {
            ch.started = true;
            ch.startDeviceFrame = out.deliveredFrames;
        }
        if (ch.isModule) FileRows(ch, rows);
        ch.decodedPublished = ch.decoded;
    }
    std::lock_guard<std::mutex> guard(out.lock);
    out.deliveredFrames += static_cast<uint64_t>(frames);
    out.lastCallbackClockFrames = ClockFrames();
}

// Calls each sync procedure once its row is heard; runs every millisecond.
void SyncThread() {
    AudioOutput& out = Output();
    std::vector<PendingSync> due;
    while (out.running) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        due.clear();
        {
            std::lock_guard<std::mutex> guard(out.lock);
            for (auto& chPtr : out.channels) {
                if (!chPtr) continue;
                Channel& ch = *chPtr;
                uint64_t heard = HeardFrame(out, ch);
                while (!ch.pending.empty() && ch.pending.front().frame <= heard) {
                    due.push_back(ch.pending.front());
                    ch.pending.pop_front();
                }
            }
        }
        for (const PendingSync& sync : due) {
            TraceSync(sync, true);
            sync.target.proc(0, 0, sync.data, sync.target.user);
        }
    }
}

bool OpenDevice(AudioOutput& out) {
    SDL_AudioSpec want{}, have{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    out.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!out.device) return false;
    out.bufferFrames = have.samples;
    return true;
}

bool ReadFile(const char* name, std::vector<uint8_t>* bytes) {
    return platform::ReadRegularFile(platform::ResolveDataPath(name), bytes);
}

// E8x cues of a non-XM module, read through libopenmpt's pattern view.
void ScanCues(openmpt::module& module, xmsync::CueTable* cues) {
    int32_t channels = module.get_num_channels();
    for (int32_t p = 0; p < module.get_num_patterns(); ++p) {
        for (int32_t r = 0; r < module.get_pattern_num_rows(p); ++r) {
            for (int32_t c = 0; c < channels; ++c) {
                std::string letter = module.format_pattern_row_channel_command(p, r, c, openmpt::module::command_effect);
                uint8_t param = module.get_pattern_row_channel_command(p, r, c, openmpt::module::command_parameter);
                if (letter == "E" && (param >> 4) == 8) cues->Add(static_cast<uint32_t>(p), static_cast<uint32_t>(r), param & 15);
            }
        }
    }
}

}  // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD, HWND) {
    AudioOutput& out = Output();
    out.initDevices.push_back(device);
    if (freq != static_cast<DWORD>(kSampleRate) || (device != -1 && device != -2)) return FALSE;
    if (out.initialised) return TRUE;
    if (platform::Options().headless) {
        out.initialised = true;
        return TRUE;
    }
    if (device == -1) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return FALSE;
        if (!OpenDevice(out)) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return FALSE;
        }
        platform::audio_latency::Start(SDL_GetCurrentAudioDriver(), OnServerAnswer);
    } else {
        if (SDL_AudioInit("dummy") != 0 || !OpenDevice(out)) return FALSE;
    }
    out.initialised = true;
    out.realTime = true;
    out.running = true;
    out.syncThread = std::thread(SyncThread);
    return TRUE;
}

BOOL BASS_Start() {
    AudioOutput& out = Output();
    if (!out.initialised) return FALSE;
    if (out.device) SDL_PauseAudioDevice(out.device, 0);
    return TRUE;
}

HMUSIC BASS_MusicLoad(BOOL fromMemory, const void* file, QWORD, DWORD, DWORD flags) {
    if (fromMemory || !file || !Output().initialised) return 0;
    std::vector<uint8_t> bytes;
    if (!ReadFile(static_cast<const char*>(file), &bytes) || bytes.empty()) return 0;
    auto channel = std::make_unique<Channel>();
    bool isXm = xmsync::ClearSyncEffects(&bytes, &channel->cues);
    std::ostringstream noWarnings;
    try {
        // The song's length and subsongs are not needed; working them out
        // replays the whole song at load.
        const std::map<std::string, std::string> loadOptions = {{"load.skip_subsongs_init", "1"}};
        channel->module = std::make_unique<openmpt::module>(bytes, noWarnings, loadOptions);
    } catch (const std::exception&) {
        return 0;
    }
    if (!isXm) ScanCues(*channel->module, &channel->cues);
    // No dither: the same module gives the same samples on every run.
    channel->module->ctl_set_integer("dither", 0);
    channel->isModule = true;
    channel->loop = (flags & BASS_SAMPLE_LOOP) != 0;
    channel->module->set_repeat_count(channel->loop ? -1 : 0);
    return Add(std::move(channel));
}

// Headless: the music starts at the show's clock, which stands past the
// module's start after a warp; what lies before it is decoded unheard.
static void StartLockstep(Channel& ch) {
    ch.heardFrom = platform::sdl::ShowSampleFramesNow();
    platform::AdvanceMusicTo(ch.heardFrom);
}

BOOL BASS_MusicPlay(HMUSIC music) {
    Channel* ch = Find(music);
    if (!ch || !ch->isModule) return FALSE;
    AudioOutput& out = Output();
    if (out.device) SDL_LockAudioDevice(out.device);
    ch->playing = true;
    if (out.device) SDL_UnlockAudioDevice(out.device);
    platform::sdl::MusicStartedPlaying();
    if (!out.realTime) StartLockstep(*ch);
    return TRUE;
}

BOOL BASS_MusicFree(HMUSIC music) {
    Channel* ch = Find(music);
    if (!ch || !ch->isModule) return FALSE;
    AudioOutput& out = Output();
    if (out.device) SDL_LockAudioDevice(out.device);
    {
        std::lock_guard<std::mutex> guard(out.lock);
        out.channels[music - 1].reset();
    }
    if (out.device) SDL_UnlockAudioDevice(out.device);
    return TRUE;
}

HSTREAM BASS_StreamCreateFile(BOOL fromMemory, const void* file, QWORD, QWORD, DWORD flags) {
    if (fromMemory || !file || !Output().initialised) return 0;
    std::vector<uint8_t> wav;
    if (!ReadFile(static_cast<const char*>(file), &wav) || wav.empty() || wav.size() > INT32_MAX) return 0;
    SDL_AudioSpec wavFormat{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1, &wavFormat, &buffer, &length))
        return 0;
    SDL_AudioCVT convert;
    if (SDL_BuildAudioCVT(&convert, wavFormat.format, wavFormat.channels, wavFormat.freq, AUDIO_S16SYS, 2, kSampleRate) < 0) {
        SDL_FreeWAV(buffer);
        return 0;
    }
    std::vector<Uint8> work(static_cast<size_t>(length) * static_cast<size_t>(std::max(convert.len_mult, 1)));
    std::memcpy(work.data(), buffer, length);
    SDL_FreeWAV(buffer);
    convert.buf = work.data();
    convert.len = static_cast<int>(length);
    if (convert.needed && SDL_ConvertAudio(&convert) != 0) return 0;
    size_t bytes = convert.needed ? static_cast<size_t>(convert.len_cvt) : length;
    auto channel = std::make_unique<Channel>();
    channel->pcm.resize(bytes / 2);
    std::memcpy(channel->pcm.data(), work.data(), channel->pcm.size() * 2);
    channel->loop = (flags & BASS_SAMPLE_LOOP) != 0;
    return Add(std::move(channel));
}

BOOL BASS_StreamPlay(HSTREAM stream, BOOL, DWORD flags) {
    Channel* ch = Find(stream);
    if (!ch || ch->isModule) return FALSE;
    AudioOutput& out = Output();
    if (out.device) SDL_LockAudioDevice(out.device);
    ch->loop = ch->loop || (flags & BASS_SAMPLE_LOOP) != 0;
    ch->playing = true;
    if (out.device) SDL_UnlockAudioDevice(out.device);
    platform::sdl::MusicStartedPlaying();
    if (!out.realTime) StartLockstep(*ch);
    return TRUE;
}

BOOL BASS_ChannelSetPosition(DWORD handle, DWORD position) {
    Channel* ch = Find(handle);
    if (!ch || !ch->isModule) return FALSE;
    AudioOutput& out = Output();
    if (out.device) SDL_LockAudioDevice(out.device);
    {
        std::lock_guard<std::mutex> guard(out.lock);
        ch->module->set_position_order_row(static_cast<int32_t>(position & 0xFFFF), static_cast<int32_t>(position >> 16));
        ch->startPosition = position;
        ch->lastOrder = ch->lastRow = -1;
        ch->bulkLeft = 0;
        ch->ended = false;
        ch->finished = false;
        ch->timeline.clear();
        ch->pending.clear();
    }
    if (out.device) SDL_UnlockAudioDevice(out.device);
    return TRUE;
}

DWORD BASS_ChannelGetPosition(DWORD handle) {
    Channel* ch = Find(handle);
    if (!ch) return 0xFFFFFFFFu;
    if (platform::sdl::Warping() && ch->isModule) return platform::sdl::WarpPosition();
    AudioOutput& out = Output();
    std::lock_guard<std::mutex> guard(out.lock);
    uint64_t heard = out.realTime ? HeardFrame(out, *ch) : (ch->decoded > 0 ? ch->decoded - 1 : 0);
    if (!ch->isModule) return static_cast<DWORD>(heard * 4);
    while (ch->timeline.size() > 1 && ch->timeline[1].frame <= heard) ch->timeline.pop_front();
    if (ch->timeline.empty() || ch->timeline.front().frame > heard) return ch->startPosition;
    return ch->timeline.front().order | (ch->timeline.front().row << 16);
}

HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, DWORD user) {
    Channel* ch = Find(handle);
    if (!ch || !ch->isModule || type != BASS_SYNC_MUSICFX || !proc) return 0;
    std::lock_guard<std::mutex> guard(Output().lock);
    ch->syncs.push_back({proc, static_cast<DWORD>(param), user});
    return static_cast<HSYNC>(ch->syncs.size());
}

namespace platform {

void StopAudio() { Output().Stop(); }

void StartMusicAtOrder(DWORD handle, uint32_t order) {
    BASS_ChannelSetPosition(handle, order);
    Channel* ch = Find(handle);
    int64_t start = MusicSampleAtOrder(handle, order);
    if (!ch || Output().realTime || start < 0) return;
    ch->decoded = static_cast<uint64_t>(start);
}

const std::vector<int>& AudioInitDevices() { return Output().initDevices; }

void AdvanceMusicTo(uint64_t showSampleFrames) {
    AudioOutput& out = Output();
    if (out.realTime) return;
    std::vector<int16_t> scratch;
    std::vector<RowStart> rows;
    for (auto& chPtr : out.channels) {
        if (!chPtr) continue;
        Channel& ch = *chPtr;
        if (!ch.playing || ch.decoded > showSampleFrames) continue;
        // Decoded through the frame of this instant, so a row starting now counts.
        uint64_t from = ch.decoded;
        int64_t count = static_cast<int64_t>(showSampleFrames + 1 - from);
        scratch.resize(static_cast<size_t>(count) * 2);
        DecodeChannel(ch, scratch.data(), static_cast<int>(count), &rows);
        ch.started = true;
        uint64_t unheard = ch.heardFrom > from ? std::min<uint64_t>(ch.heardFrom - from, static_cast<uint64_t>(count)) : 0;
        platform::capture::Audio(scratch.data() + 2 * unheard, static_cast<size_t>(count) - unheard);
        if (!ch.isModule) continue;
        FileRows(ch, rows);
        while (!ch.pending.empty()) {
            PendingSync sync = ch.pending.front();
            ch.pending.pop_front();
            TraceSync(sync, false);
            sync.target.proc(0, 0, sync.data, sync.target.user);
        }
    }
}

// Finding where an order starts replays the song up to it (and the first 64
// orders' times cost as much as the rest of loading), so they are found when
// first asked for, which the show does before it plays the music. The module
// is put back where it stood; nothing has been decoded yet.
static void TimeOrders(Channel& ch) {
    if (ch.timed || ch.playing || !ch.isModule) return;
    ch.timed = true;
    openmpt::module& module = *ch.module;
    int32_t standingOrder = module.get_current_order(), standingRow = module.get_current_row();
    int32_t timedOrders = std::min(module.get_num_orders(), kTimedOrders);
    for (int32_t order = 0; order < timedOrders; ++order) {
        ch.orderSeconds.push_back(module.set_position_order_row(order, 0));
        int32_t rows = module.get_pattern_num_rows(module.get_order_pattern(order));
        ch.orderRows.push_back(static_cast<uint32_t>(std::max(rows, 0)));
    }
    module.set_position_order_row(standingOrder, standingRow);
}

double MusicSecondsAtOrder(DWORD handle, uint32_t order) {
    Channel* ch = Find(handle);
    if (ch) TimeOrders(*ch);
    if (!ch || order >= ch->orderSeconds.size()) return -1;
    return ch->orderSeconds[order];
}

int64_t MusicSampleAtOrder(DWORD handle, uint32_t order) {
    double seconds = MusicSecondsAtOrder(handle, order);
    return seconds < 0 ? -1 : std::llround(seconds * kSampleRate);
}

uint32_t MusicRowsAtOrder(DWORD handle, uint32_t order) {
    Channel* ch = Find(handle);
    if (ch) TimeOrders(*ch);
    if (!ch || order >= ch->orderRows.size()) return 0;
    return ch->orderRows[order];
}

int64_t MusicDecodeLeadFrames() {
    AudioOutput& out = Output();
    std::lock_guard<std::mutex> guard(out.lock);
    for (auto& chPtr : out.channels)
        if (chPtr && chPtr->started) return static_cast<int64_t>(chPtr->decodedPublished) - static_cast<int64_t>(HeardFrame(out, *chPtr));
    return 0;
}

}  // namespace platform
