// The windows the program made, for the message queue and the full-screen
// switch: the one still alive.
#pragma once

#include "present/window.h"

namespace platform::win32 {

PlatformWindow* LiveWindow();

}  // namespace platform::win32
