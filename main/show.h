// The show from its start to its end: the scene chain and the entry the
// platform calls.
#pragma once

#include "platform/win32.h"

// Start-up: the window and its GL context, the data, the band, the scenes
// before the first one run unseen, then the capture, the music and the tick
// timer. False when there is no window to show (not made, or closed meanwhile).
bool StartShow(HINSTANCE instance, int showCommand);
int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
