// The sound-library calls of bass.h on libopenmpt and SDL2 audio: the
// handles, and which of the sound's parts serves each call. A module is
// decoded row-exactly (module_decoder.cpp) into channels that keep the
// timeline of its rows and its pending syncs (channels.cpp). In real time the
// SDL output decodes in its audio callback, the position reported is the row
// of the frame being heard, and a sync thread calls the sync procedures as
// their rows are heard (sdl_output.cpp). Headless runs, and a real-time run's
// warp, decode in lock-step with the virtual clock and call the syncs on the
// caller's thread (lockstep.cpp), so every run gives the same frames.
//
// A module that comes to its end, or loops back to an earlier order, has
// finished: from that moment its position reads as order 65535, row 65535
// (as the library reports for a bad handle), so a show waiting for a later
// order than the module has still ends. The sound loops on; no more syncs.
#include "platform/bass.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/data_file.h"
#include "platform/options.h"
#include "platform/paths.h"
#include "base/clock.h"
#include "sound/channels.h"
#include "sound/lockstep.h"
#include "sound/module_decoder.h"
#include "sound/sdl_output.h"

namespace {

using namespace platform::sound;
using platform::kSampleRate;

// Rows a real-time channel can hold between two passes of the sync thread:
// at the fastest speed and tempo a module has about a hundred rows a second.
constexpr size_t kUnfiledRowsRoom = 4096;

struct SoundState {
    std::vector<int> initDevices;
    bool initialised = false;
    bool realTime = false;
    bool unheard = false;  // what is told to play is decoded in lock-step, unheard
};

SoundState& State() {
    static SoundState state;
    return state;
}

bool ReadFile(const char* name, std::vector<uint8_t>* bytes) {
    return platform::ReadRegularFile(platform::ResolveDataPath(name), bytes);
}

// The audio callback walks the channel table, and the sync thread too: both
// are held off while it changes.
DWORD Add(std::unique_ptr<Channel> channel) {
    LockOutput();
    DWORD handle = AddChannel(std::move(channel));
    UnlockOutput();
    return handle;
}

void Play(Channel& ch) {
    bool lockstep = !State().realTime || State().unheard;
    LockOutput();
    {
        std::lock_guard<std::mutex> guard(ChannelsLock());
        ch.playing = true;
        ch.lockstep = lockstep;
    }
    UnlockOutput();
    platform::base::MusicStartedPlaying();
    // The show clock starts now: the first frame of sound is decoded at once,
    // so a row that starts on it counts for the first picture.
    if (lockstep) AdvanceLockstep(platform::base::ShowSampleFramesNow());
}

// Finding where an order starts replays the song up to it, so it is done
// only before the music plays (the show asks before it plays).
ModuleDecoder* TimedModule(DWORD handle) {
    Channel* ch = FindChannel(handle);
    if (!ch || !ch->IsModule()) return nullptr;
    if (!ch->playing) ch->module->TimeOrders();
    return ch->module.get();
}

}  // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD, HWND) {
    SoundState& s = State();
    s.initDevices.push_back(device);
    if (freq != static_cast<DWORD>(kSampleRate) || (device != -1 && device != -2)) return FALSE;
    if (s.initialised) return TRUE;
    if (platform::Options().headless) {
        s.initialised = true;
        return TRUE;
    }
    if (!OpenOutput(device)) return FALSE;
    s.initialised = true;
    s.realTime = true;
    return TRUE;
}

BOOL BASS_Start() {
    if (!State().initialised) return FALSE;
    ResumeOutput();
    return TRUE;
}

HMUSIC BASS_MusicLoad(BOOL fromMemory, const void* file, QWORD, DWORD, DWORD flags) {
    if (fromMemory || !file || !State().initialised) return 0;
    std::vector<uint8_t> bytes;
    if (!ReadFile(static_cast<const char*>(file), &bytes) || bytes.empty()) return 0;
    auto channel = std::make_unique<Channel>();
    channel->loop = (flags & BASS_SAMPLE_LOOP) != 0;
    channel->module = ModuleDecoder::Load(std::move(bytes), channel->loop);
    if (!channel->module) return 0;
    channel->unfiled.Reserve(kUnfiledRowsRoom);
    return Add(std::move(channel));
}

BOOL BASS_MusicPlay(HMUSIC music) {
    Channel* ch = FindChannel(music);
    if (!ch || !ch->IsModule()) return FALSE;
    Play(*ch);
    return TRUE;
}

BOOL BASS_MusicFree(HMUSIC music) {
    Channel* ch = FindChannel(music);
    if (!ch || !ch->IsModule()) return FALSE;
    LockOutput();
    FreeChannel(music);
    UnlockOutput();
    return TRUE;
}

HSTREAM BASS_StreamCreateFile(BOOL fromMemory, const void* file, QWORD, QWORD, DWORD flags) {
    if (fromMemory || !file || !State().initialised) return 0;
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
    Channel* ch = FindChannel(stream);
    if (!ch || ch->IsModule()) return FALSE;
    LockOutput();
    ch->loop = ch->loop || (flags & BASS_SAMPLE_LOOP) != 0;
    UnlockOutput();
    Play(*ch);
    return TRUE;
}

BOOL BASS_ChannelSetPosition(DWORD handle, DWORD position) {
    Channel* ch = FindChannel(handle);
    if (!ch || !ch->IsModule()) return FALSE;
    LockOutput();
    {
        std::lock_guard<std::mutex> guard(ChannelsLock());
        ch->module->SetPosition(position & 0xFFFF, position >> 16);
        ch->startPosition = position;
        ch->unfiled.Clear();
        ch->timeline.clear();
        ch->pending.clear();
    }
    UnlockOutput();
    return TRUE;
}

DWORD BASS_ChannelGetPosition(DWORD handle) {
    Channel* ch = FindChannel(handle);
    if (!ch) return 0xFFFFFFFFu;
    std::lock_guard<std::mutex> guard(ChannelsLock());
    uint64_t heard = ch->lockstep ? LockstepHeardFrame(*ch) : HeardFrame(*ch);
    if (!ch->IsModule()) return static_cast<DWORD>(heard * 4);
    return PositionAt(*ch, heard);
}

HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, DWORD user) {
    Channel* ch = FindChannel(handle);
    if (!ch || !ch->IsModule() || type != BASS_SYNC_MUSICFX || !proc) return 0;
    std::lock_guard<std::mutex> guard(ChannelsLock());
    ch->syncs.push_back({proc, static_cast<DWORD>(param), user});
    return static_cast<HSYNC>(ch->syncs.size());
}

namespace platform {

void StopAudio() { CloseOutput(); }

void PlayMusicUnheard(bool on) { State().unheard = on; }

void HearMusicFromOrder(DWORD handle, uint32_t order) {
    Channel* ch = FindChannel(handle);
    if (!ch || !ch->IsModule() || !State().realTime) return;
    LockOutput();
    {
        std::lock_guard<std::mutex> guard(ChannelsLock());
        ch->playing = false;
        ch->lockstep = false;
        ch->decoded = ch->decodedPublished = 0;
        ch->instantHeld = false;
    }
    UnlockOutput();
    BASS_ChannelSetPosition(handle, order);
    Play(*ch);
}

void StopHearingMusic(DWORD handle) {
    Channel* ch = FindChannel(handle);
    if (!ch || !ch->IsModule() || !State().realTime || ch->lockstep) return;
    LockOutput();
    {
        std::lock_guard<std::mutex> guard(ChannelsLock());
        ch->playing = false;
    }
    UnlockOutput();
}

void ForgetUnheardSyncs(DWORD handle) {
    Channel* ch = FindChannel(handle);
    if (!ch || !ch->IsModule() || !State().realTime) return;
    std::lock_guard<std::mutex> delivering(SyncDeliveryLock());
    LockOutput();
    {
        std::lock_guard<std::mutex> guard(ChannelsLock());
        ch->unfiled.Clear();
        ch->pending.clear();
    }
    UnlockOutput();
}

void HearMusicFromHere(DWORD handle) {
    Channel* ch = FindChannel(handle);
    if (!ch || !ch->IsModule() || !State().realTime) return;
    LockOutput();
    {
        std::lock_guard<std::mutex> guard(ChannelsLock());
        uint64_t heard = ch->lockstep ? LockstepHeardFrame(*ch) : HeardFrame(*ch);
        ch->startPosition = PositionAt(*ch, heard);
        ch->timeline.clear();
        ch->pending.clear();
        ch->unfiled.Clear();
        ch->decoded = ch->decodedPublished = 0;
        ch->instantHeld = false;
        ch->startedOnDevice = false;
        ch->heardReported = 0;
        ch->lockstep = false;
        ch->playing = true;
    }
    UnlockOutput();
}

const std::vector<int>& AudioInitDevices() { return State().initDevices; }

void AdvanceMusicTo(uint64_t showSampleFrames) { AdvanceLockstep(showSampleFrames); }

double MusicSecondsAtOrder(DWORD handle, uint32_t order) {
    ModuleDecoder* module = TimedModule(handle);
    return module ? module->SecondsAtOrder(order) : -1;
}

double MusicSecondsAt(DWORD handle, MusicPosition position) {
    ModuleDecoder* module = TimedModule(handle);
    return module ? module->SecondsAt(position.order, position.row) : -1;
}

namespace {

void RangesOf(const ModuleDecoder& module, std::vector<uint32_t>* rowsPerOrder) {
    rowsPerOrder->clear();
    for (uint32_t order = 0; order < module.OrderCount(); ++order) rowsPerOrder->push_back(module.RowsAt(order));
}

}  // namespace

bool MusicRanges(DWORD handle, std::vector<uint32_t>* rowsPerOrder) {
    Channel* ch = FindChannel(handle);
    if (!ch || !ch->IsModule()) return false;
    RangesOf(*ch->module, rowsPerOrder);
    return true;
}

bool ReloadMusic(DWORD handle, const char* file) {
    Channel* ch = FindChannel(handle);
    std::vector<uint8_t> bytes;
    if (!ch || !ch->IsModule() || !ReadFile(file, &bytes) || bytes.empty()) return false;
    std::unique_ptr<ModuleDecoder> module = ModuleDecoder::Load(std::move(bytes), ch->loop);
    if (!module) return false;
    LockOutput();
    {
        std::lock_guard<std::mutex> guard(ChannelsLock());
        ch->module = std::move(module);
    }
    UnlockOutput();
    return true;
}

bool ModuleFileRanges(const char* file, std::vector<uint32_t>* rowsPerOrder) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(file, &bytes) || bytes.empty()) return false;
    std::unique_ptr<ModuleDecoder> module = ModuleDecoder::Load(std::move(bytes), false);
    if (!module) return false;
    RangesOf(*module, rowsPerOrder);
    return true;
}

int64_t MusicDecodeLeadFrames() { return DecodeLeadFrames(); }

}  // namespace platform
