// The layout arithmetic of layout.h.
#include "present/layout.h"

#include <cmath>

namespace platform::present::layout {

Size FitPicture(Size window, Size area) {
    Size fit{area.widthPx, static_cast<int>(static_cast<int64_t>(area.widthPx) * window.heightPx / window.widthPx)};
    if (fit.heightPx > area.heightPx) {
        fit.heightPx = area.heightPx;
        fit.widthPx = static_cast<int>(static_cast<int64_t>(area.heightPx) * window.widthPx / window.heightPx);
    }
    return fit;
}

SurfaceLayout Centred(Size surface, Size picture) {
    SurfaceLayout layout;
    layout.widthPx = surface.widthPx;
    layout.heightPx = surface.heightPx;
    layout.pictureWidthPx = picture.widthPx;
    layout.pictureHeightPx = picture.heightPx;
    layout.pictureXPx = (surface.widthPx - picture.widthPx) / 2;
    layout.pictureYPx = (surface.heightPx - picture.heightPx) / 2;
    return layout;
}

SurfaceLayout Scaled(Size window, double scale) {
    Size size{2 * static_cast<int>(std::lround(window.widthPx * scale / 2)),
              2 * static_cast<int>(std::lround(window.heightPx * scale / 2))};
    return Centred(size, size);
}

SurfaceLayout Chosen(Size window, Size frame, bool fitWidth, double scale) {
    if (frame.widthPx <= 0 || frame.heightPx <= 0) return Scaled(window, scale);
    if (fitWidth)
        return Centred(frame, {frame.widthPx, static_cast<int>(static_cast<int64_t>(frame.widthPx) * window.heightPx /
                                                               window.widthPx)});
    return Centred(frame, FitPicture(window, frame));
}

int SurfaceX(const SurfaceLayout& layout, Size window, int windowXPx) {
    return layout.pictureXPx +
           static_cast<int>(std::lround(static_cast<double>(windowXPx) * layout.pictureWidthPx / window.widthPx));
}

int SurfaceY(const SurfaceLayout& layout, Size window, int windowYPx) {
    return layout.pictureYPx +
           static_cast<int>(std::lround(static_cast<double>(windowYPx) * layout.pictureHeightPx / window.heightPx));
}

int64_t SmoothedFramePeriodUs(int64_t periodUs, int64_t gapUs) {
    if (gapUs > 100000) return periodUs;
    return periodUs == 0 ? gapUs : periodUs + (gapUs - periodUs) / 16;
}

}  // namespace platform::present::layout
