// The sound devices and the screens this machine has, as the viewer chooses
// among them (--list-audio-devices, --list-displays), and the screen a
// window opens on.
#pragma once

#include <string>

namespace platform {

// Print the names of the sound devices, or the screens numbered from 1 with
// their sizes, one a line; the exit status of the listing (1 with a message
// when there is nothing to list from).
int PrintAudioDevices();
int PrintDisplays();
// The screen (SDL's index) windows open on: the one --display names, or
// the first, with a line saying so when the one named is not there.
int WindowDisplay();

}  // namespace platform
