// SDL's video, started once for the run and ended at its end: what the
// windows, the message queue and the clock stand on.
#pragma once

namespace platform::host {

void StartVideo();   // starts SDL's video once; VideoReady() tells whether it worked
bool VideoReady();
// At the end of the run: what the windows hand in first (their SDL windows
// go), then the GL driver and SDL itself.
void QuitVideo();
void SetBeforeVideoQuits(void (*hook)());

}  // namespace platform::host
