// The player's keys and the held frame (see platform/player.h).
#include "platform/player.h"

#include <SDL_timer.h>

#include <algorithm>
#include <deque>

#include "platform/bass.h"
#include "platform/options.h"
#include "base/clock.h"
#include "host/host.h"
#include "present/surface.h"
#include "sound/sdl_output.h"
#include "sound/volume.h"

namespace platform::player {

namespace {

std::deque<uint32_t>& Keys() {
    static std::deque<uint32_t> keys;
    return keys;
}

struct AskedSeek {
    bool asked = false;
    MusicPosition position{0, 0};
};

AskedSeek& Asked() {
    static AskedSeek asked;
    return asked;
}

struct Volume {
    bool set = false;  // until then, --volume's
    int percent = 100;
    bool muted = false;
};

Volume& TheVolume() {
    static Volume volume;
    if (!volume.set) volume = {true, Options().volumePercent, false};
    return volume;
}

// +, - (on the main keys or the keypad) and M.
int VolumeStepsOf(uint32_t key) {
    switch (key) {
        case 0xBB: case 0x6B: return 1;
        case 0xBD: case 0x6D: return -1;
        default: return 0;
    }
}

bool IsVolumeKey(uint32_t key) { return key == 'M' || VolumeStepsOf(key) != 0; }

void PressVolumeKey(uint32_t key) {
    Volume& v = TheVolume();
    if (key == 'M') SetVolume(v.percent, !v.muted);
    else SetVolume(sound::StepVolume(v.percent, VolumeStepsOf(key)), false);
}

}  // namespace

int VolumePercent() { return TheVolume().percent; }
bool Muted() { return TheVolume().muted; }

void SetVolume(int volumePercent, bool muted) {
    Volume& v = TheVolume();
    v.percent = std::clamp(volumePercent, 0, 100);
    v.muted = muted;
    sound::SetOutputVolume(v.percent, v.muted);
}

bool On() { return Options().player; }

bool IsPlayerKey(uint32_t key) {
    switch (key) {
        case 0x20:  // Space
        case 0x21: case 0x22:  // Page Up, Page Down
        case 0x24:  // Home
        case 0x25: case 0x27:  // Left, Right
        case 'L':
        case 0x70:  // F1
        case 0xBC: case 0xBE:  // , and .
        case 0xDB: case 0xDD:  // [ and ]
            return true;
        default:
            return (key >= '1' && key <= '9') || IsVolumeKey(key);
    }
}

void QueueKey(uint32_t key) {
    if (IsVolumeKey(key)) PressVolumeKey(key);
    else Keys().push_back(key);
}

bool TakeKey(uint32_t* key) {
    if (Keys().empty()) return false;
    *key = Keys().front();
    Keys().pop_front();
    return true;
}

void QueueSeek(MusicPosition position) { Asked() = {true, position}; }

bool TakeSeek(MusicPosition* position) {
    if (!Asked().asked) return false;
    *position = Asked().position;
    Asked().asked = false;
    return true;
}

void DescribeShow(const std::string& json) { host::ShowDescribed(json); }

void PublishStatus(const Status& status) {
    host::PlayerStatus(status.scene, status.position.order, status.position.row, status.showMs, status.paused,
                       VolumePercent(), Muted());
}

void HoldFrame() { present::LatchFrame(); }

void Rest() { SDL_Delay(10); }

void PauseShow(uint32_t music, bool paused) {
    if (Options().headless) return;
    if (paused) {
        StopHearingMusic(music);
        base::HoldWallClock(true);
    } else {
        base::HoldWallClock(false);
        HearMusicFromHere(music);
    }
}

}  // namespace platform::player
