// The posted-message queue's side below the Windows calls.
#pragma once

namespace platform::sdl {

void PumpEvents();  // turns waiting SDL events into posted window messages

}  // namespace platform::sdl
