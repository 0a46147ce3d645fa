// Headless sound in lock-step with the virtual clock (see lockstep.h).
#include "sound/lockstep.h"

#include <algorithm>
#include <vector>

#include "platform/capture.h"

namespace platform::sound {

void StartLockstep(Channel& ch, uint64_t showSampleFrames) {
    ch.heardFrom = showSampleFrames;
    AdvanceLockstep(ch.heardFrom);
}

uint64_t LockstepHeardFrame(const Channel& ch) { return ch.decoded > 0 ? ch.decoded - 1 : 0; }

void AdvanceLockstep(uint64_t showSampleFrames) {
    std::vector<int16_t> sound;
    std::vector<RowStart> rows;
    for (auto& chPtr : AllChannels()) {
        if (!chPtr) continue;
        Channel& ch = *chPtr;
        if (!ch.playing || ch.decoded > showSampleFrames) continue;
        // Decoded through the frame of this instant, so a row starting now counts.
        uint64_t from = ch.decoded;
        int64_t count = static_cast<int64_t>(showSampleFrames + 1 - from);
        sound.resize(static_cast<size_t>(count) * 2);
        rows.clear();
        DecodeChannel(ch, sound.data(), static_cast<int>(count), &rows);
        uint64_t unheard = ch.heardFrom > from ? std::min<uint64_t>(ch.heardFrom - from, static_cast<uint64_t>(count)) : 0;
        capture::Audio(sound.data() + 2 * unheard, static_cast<size_t>(count) - unheard);
        if (!ch.IsModule()) continue;
        FileRows(ch, rows);
        std::vector<PendingSync> due;
        TakeDueSyncs(ch, UINT64_MAX, &due);
        for (const PendingSync& sync : due) DeliverSync(sync, false);
    }
}

}  // namespace platform::sound
