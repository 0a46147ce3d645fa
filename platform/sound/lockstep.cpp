// Sound in lock-step with the virtual clock (see lockstep.h).
#include "sound/lockstep.h"

#include <vector>

#include "sound/sdl_output.h"

namespace platform::sound {

namespace {

void (*g_takeSound)(const int16_t* stereo, size_t frames) = nullptr;

// The taker (the capture) gets the sound of the frames before this instant: the frame of
// the instant itself is held back and handed on with the next span, so that
// a capture that starts on the next picture starts on that frame of sound.
void HandOn(Channel& ch, const int16_t* stereo, size_t frames) {
    if (frames == 0 || !g_takeSound) return;
    if (ch.instantHeld) g_takeSound(ch.instantSound, 1);
    g_takeSound(stereo, frames - 1);
    ch.instantSound[0] = stereo[2 * (frames - 1)];
    ch.instantSound[1] = stereo[2 * (frames - 1) + 1];
    ch.instantHeld = true;
}

}  // namespace

void SetLockstepSoundTaker(void (*take)(const int16_t* stereo, size_t frames)) { g_takeSound = take; }

uint64_t LockstepHeardFrame(const Channel& ch) { return ch.decoded > 0 ? ch.decoded - 1 : 0; }

void AdvanceLockstep(uint64_t showSampleFrames) {
    std::vector<int16_t> sound;
    std::vector<RowStart> rows;
    for (auto& chPtr : AllChannels()) {
        if (!chPtr) continue;
        Channel& ch = *chPtr;
        if (!ch.playing || !ch.lockstep || ch.decoded > showSampleFrames) continue;
        // Decoded through the frame of this instant, so a row starting now counts.
        size_t count = static_cast<size_t>(showSampleFrames + 1 - ch.decoded);
        sound.resize(count * 2);
        rows.clear();
        DecodeChannel(ch, sound.data(), static_cast<int>(count), &rows);
        HandOn(ch, sound.data(), count);
        if (!ch.IsModule()) continue;
        std::vector<PendingSync> due;
        {
            std::lock_guard<std::mutex> guard(ChannelsLock());
            FileRows(ch, rows);
            TakeDueSyncs(ch, UINT64_MAX, &due);
        }
        for (const PendingSync& sync : due) DeliverSync(sync, false);
    }
}

LockstepReading CurrentLockstep(const Channel& ch) {
    std::lock_guard<std::mutex> guard(ChannelsLock());
    LockstepReading r;
    r.playing = ch.playing;
    r.decoded = ch.decoded;
    for (auto row = ch.timeline.rbegin(); row != ch.timeline.rend() && !r.hasRow; ++row)
        if (row->order != kFinished) r.hasRow = true, r.row = *row;
    r.pending = ch.pending;
    r.instantSound[0] = ch.instantSound[0], r.instantSound[1] = ch.instantSound[1];
    r.instantHeld = ch.instantHeld;
    r.startPosition = ch.startPosition;
    return r;
}

void RestoreLockstep(Channel& ch, const LockstepReading& r) {
    LockOutput();
    ChannelsLock().lock();
    ch.playing = r.playing;
    ch.lockstep = true;
    ch.startedOnDevice = false;
    ch.unfiled.Clear();
    ch.timeline.clear();
    ch.startPosition = r.startPosition;
    if (ch.IsModule()) {
        ch.module->SetPosition(r.hasRow ? r.row.order : (r.startPosition & 0xFFFF), r.hasRow ? r.row.row : (r.startPosition >> 16));
        ch.decoded = r.hasRow ? r.row.frame : 0;
        // On to the frame, unheard; the rows met on the way are filed without their syncs (they were called).
        std::vector<int16_t> sound(2 * static_cast<size_t>(r.decoded - ch.decoded));
        std::vector<RowStart> rows;
        if (r.decoded > ch.decoded) DecodeChannel(ch, sound.data(), static_cast<int>(r.decoded - ch.decoded), &rows);
        ch.timeline.assign(rows.begin(), rows.end());
    }
    ch.decoded = r.decoded;
    ch.decodedPublished = r.decoded;
    ch.pending = r.pending;
    ch.instantSound[0] = r.instantSound[0], ch.instantSound[1] = r.instantSound[1];
    ch.instantHeld = r.instantHeld;
    ChannelsLock().unlock();
    UnlockOutput();
}

}  // namespace platform::sound
