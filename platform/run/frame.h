// The life of one frame, in one place: the stand-ins for the Windows calls
// the scene loop makes (SwapBuffers, PeekMessageA, GetMessageA) and the
// scene loop's own report (NoteFrame) each call the step that is theirs.
#pragma once

#include <cstdint>

#include "platform/options.h"

namespace platform::run {

// The scene loop has read the music position of the frame it is about to
// draw: whether the frame is seen is decided, and it is traced.
void BeginFrame(int scene, MusicPosition position, uint32_t raisedFlags);
// SwapBuffers: the frame is drawn. True, as PresentFrame, when the run is done.
bool FinishFrame();
// The program looks at its messages (or its window goes): the frame the last
// swap finished is shown with the text drawn since. True once, when a
// headless run has made all it was asked for: its window is closed then,
// as a user closes it.
bool PresentFrame();

}  // namespace platform::run
