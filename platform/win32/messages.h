// The posted-message queue's side below the Windows calls.
#pragma once

namespace platform::win32 {

void PumpEvents();  // turns waiting SDL events into posted window messages
// A headless run that has made all it was asked for is closed as closing its
// window does (the frame's steps say when).
void CloseWhenRunIsDone(bool runIsDone);

}  // namespace platform::win32
