// The life of one frame, in one place: the stand-ins for the Windows calls
// the scene loop makes (SwapBuffers, PeekMessageA, GetMessageA) and the
// scene loop's own report (NoteFrame) each call the step that is theirs.
#pragma once

#include <cstdint>

#include "platform/options.h"

namespace platform::frame {

// The scene loop has read the music position of the frame it is about to
// draw: whether the frame is seen is decided, and it is traced.
void Begin(int scene, MusicPosition position, uint32_t raisedFlags);
// SwapBuffers: the frame is drawn.
void Finish();
// The program looks at its messages (or its window goes): the frame the last
// swap finished is shown with the text drawn since.
void Present();

}  // namespace platform::frame
