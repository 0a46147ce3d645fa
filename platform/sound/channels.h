// The channels the sound-library calls hand out as handles: a module (with
// its decoder) or a stream of samples, what of it has been decoded, the
// timeline of its rows and the syncs waiting for their rows to be heard.
// Shared by the real-time output (audio callback and sync thread) and the
// headless lock-step; ChannelsLock() guards timelines, pending syncs and the
// counters marked so. The audio callback takes no lock: what it shares is
// atomic, or goes through a ring to the sync thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win32.h"
#include "sound/module_decoder.h"
#include "sound/row_ring.h"

namespace platform::sound {

// A sync procedure, as the sound-library calls take it (SYNCPROC).
typedef void(CALLBACK SyncProc)(DWORD handle, DWORD channel, DWORD data, DWORD user);

struct SyncRegistration {
    SyncProc* proc;
    DWORD param;
    DWORD user;
};

struct PendingSync {
    uint64_t frame;
    DWORD data;
    SyncRegistration target;
    uint32_t order, row;
};

struct Channel {
    DWORD handle = 0;
    std::unique_ptr<ModuleDecoder> module;  // null for a stream
    std::vector<int16_t> pcm;               // streams: interleaved stereo at 44100 Hz
    bool loop = false;
    bool playing = false;      // told to play
    bool lockstep = false;     // decoded in lock-step with the virtual clock on the
                               // caller's thread, not by the device (set under both locks)
    std::atomic<bool> startedOnDevice{false};  // real time: its first sound has been handed to the device
    uint64_t decoded = 0;      // frames decoded since play (decoding thread)
    std::atomic<uint64_t> decodedPublished{0};  // the same, as the audio callback last published it
    int16_t instantSound[2] = {0, 0};  // lock-step: the last frame decoded, not yet handed on
    bool instantHeld = false;
    std::atomic<uint64_t> startDeviceFrame{0};  // real time: device frames delivered before its first
    uint64_t heardReported = 0;     // real time: the heard frame last reported, which never goes back (under the lock)
    RowRing unfiled;                // real time: rows decoded, on their way to the timeline
    std::atomic<uint64_t> lostRows{0};  // real time: rows the ring had no room for
    std::deque<RowStart> timeline;  // under the lock
    std::deque<PendingSync> pending;
    std::vector<SyncRegistration> syncs;
    DWORD startPosition = 0;   // reported until the first row is heard

    bool IsModule() const { return module != nullptr; }
};

std::mutex& ChannelsLock();
// The channel of a handle, or null (never handed out, or freed).
Channel* FindChannel(DWORD handle);
// Files a new channel (under the lock) and returns its handle.
DWORD AddChannel(std::unique_ptr<Channel> channel);
void FreeChannel(DWORD handle);
// Every channel slot, freed ones as null; for the decoding loops.
std::vector<std::unique_ptr<Channel>>& AllChannels();

// Decodes a channel's next `count` frames into `out`; a module's rows that
// start among them are appended to `rows`.
void DecodeChannel(Channel& ch, int16_t* out, int count, std::vector<RowStart>* rows);
// Puts decoded rows into the timeline and queues the syncs of their cues (under the lock).
void FileRows(Channel& ch, const std::vector<RowStart>& rows);
void FileRow(Channel& ch, const RowStart& row);
// The position (order | row << 16) of the frame heard; reading it changes nothing.
DWORD PositionAt(const Channel& ch, uint64_t heardFrame);
// Moves the syncs whose rows have been heard to `due`, in order (under the lock).
void TakeDueSyncs(Channel& ch, uint64_t heardFrame, std::vector<PendingSync>* due);
// Calls a sync's procedure, with a trace line; in real time the line also says
// when on the wall clock ("wall", seconds), to be set against a recording.
void DeliverSync(const PendingSync& sync, bool realTime);

}  // namespace platform::sound
