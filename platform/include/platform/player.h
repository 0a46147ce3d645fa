// The player's side below the program: the keys the viewer presses for the
// player (taken from the windows before the program's window procedure
// sees them, and only when the run is a player's), and a paused frame held
// on screen.
#pragma once

#include <cstdint>
#include <string>

#include "platform/options.h"

namespace platform::player {

// --player, --paused or --watch (the page is always a player).
bool On();
// Whether a key (a virtual-key code) is one of the player's.
bool IsPlayerKey(uint32_t key);
// The windows queue the player's keys as they are pressed; the program
// takes them, oldest first, once a frame. The volume keys (+, - and M) act
// at once, below the program, and are not queued.
void QueueKey(uint32_t key);
bool TakeKey(uint32_t* key);
// The viewer's volume, 0 to 100 (from --volume at the start), and mute; the
// page's control sets it.
int VolumePercent();
bool Muted();
void SetVolume(int volumePercent, bool muted);
// The page's timeline asks for seeks to music positions; the program takes
// the last one asked, once a frame.
void QueueSeek(MusicPosition position);
bool TakeSeek(MusicPosition* position);

// What the page's timeline shows: the show's chapters and the time of its
// orders (JSON, given once as the show starts), and the frame shown.
void DescribeShow(const std::string& json);
struct Status {
    int scene;
    MusicPosition position;
    uint32_t showMs;
    bool paused;
};
void PublishStatus(const Status& status);
// Paused: the frame last shown is shown again at the next look at the
// messages, with the text printed for it since; then the loop rests a while.
void HoldFrame();
void Rest();
// Real time: the show paused (the music not heard, the tick count and the
// show time standing) or going on from where it stands.
void PauseShow(uint32_t music, bool paused);

}  // namespace platform::player
