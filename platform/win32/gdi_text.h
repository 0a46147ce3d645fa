// The text of TextOutA, drawn over the frame while it is shown.
#pragma once

#include <vector>

#include "present/context.h"

namespace platform::sdl {

struct TextRegion {
    int x, y, w, h;  // GL window coordinates
};
std::vector<TextRegion> DrawOverlay(PlatformContext* context);
void RestoreUnderText(PlatformContext* context, const std::vector<TextRegion>& saved);
void ClearOverlay();
void ReleaseFont();

}  // namespace platform::sdl
