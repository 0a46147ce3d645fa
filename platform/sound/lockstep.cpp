// Sound in lock-step with the virtual clock (see lockstep.h).
#include "sound/lockstep.h"

#include <vector>

#include "platform/capture.h"

namespace platform::sound {

namespace {

// The capture gets the sound of the frames before this instant: the frame of
// the instant itself is held back and handed on with the next span, so that
// a capture that starts on the next picture starts on that frame of sound.
void HandToCapture(Channel& ch, const int16_t* stereo, size_t frames) {
    if (frames == 0) return;
    if (ch.instantHeld) capture::Audio(ch.instantSound, 1);
    capture::Audio(stereo, frames - 1);
    ch.instantSound[0] = stereo[2 * (frames - 1)];
    ch.instantSound[1] = stereo[2 * (frames - 1) + 1];
    ch.instantHeld = true;
}

}  // namespace

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
        HandToCapture(ch, sound.data(), count);
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

}  // namespace platform::sound
