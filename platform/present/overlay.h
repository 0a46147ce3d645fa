// The text the program prints, drawn over the frame while it is shown.
#pragma once

#include <string>
#include <vector>

#include "present/context.h"

namespace platform::present {

// Text at a window position, shown with the frame the last swap finished.
void QueueText(int xPx, int yPx, const std::string& text);

struct TextRegion {
    int x, y, w, h;  // GL window coordinates
};
std::vector<TextRegion> DrawOverlay(PlatformContext* context);
void RestoreUnderText(PlatformContext* context, const std::vector<TextRegion>& saved);
void ClearOverlay();  // the queued text goes, shown or not
void ReleaseFont();

}  // namespace platform::present
