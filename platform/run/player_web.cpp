// The page's controls of the player: its timeline seeks to a music
// position, and its buttons press the player's keys.
#include <emscripten.h>

#include "platform/player.h"

extern "C" EMSCRIPTEN_KEEPALIVE void PqnSeek(int order, int row) {
    if (order >= 0 && row >= 0)
        platform::player::QueueSeek({static_cast<uint32_t>(order), static_cast<uint32_t>(row)});
}

extern "C" EMSCRIPTEN_KEEPALIVE void PqnPress(int key) {
    if (platform::player::On() && platform::player::IsPlayerKey(static_cast<uint32_t>(key)))
        platform::player::QueueKey(static_cast<uint32_t>(key));
}

// The page's volume control: 0 to 100, and mute.
extern "C" EMSCRIPTEN_KEEPALIVE void PqnSetVolume(int volumePercent, int muted) {
    platform::player::SetVolume(volumePercent, muted != 0);
}
