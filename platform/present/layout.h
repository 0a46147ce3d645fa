// Where the program's 640x480 window pixels lie on the drawing surface, as
// plain arithmetic: the picture fitted to a screen or a frame with its aspect
// kept, scaled, centred, and window coordinates mapped onto the surface.
#pragma once

#include <cstdint>

// The surface may have more pixels than the window (a higher internal
// resolution), and the picture may lie inside a larger frame or reach past
// its edges.
struct SurfaceLayout {
    int widthPx = 0, heightPx = 0;                // the surface
    int pictureXPx = 0, pictureYPx = 0;           // the picture's bottom-left corner on it
    int pictureWidthPx = 0, pictureHeightPx = 0;  // the window's client area, scaled
};

namespace platform::present::layout {

struct Size {
    int widthPx = 0, heightPx = 0;
};

// The largest rectangle of the window's shape that fits in `area`.
Size FitPicture(Size window, Size area);
// The picture drawn at `picture` size, centred in a surface of `surface` size.
SurfaceLayout Centred(Size surface, Size picture);
// The picture at `scale` surface pixels per window pixel; sizes are kept even,
// as a video's 4:2:0 colour planes need them so.
SurfaceLayout Scaled(Size window, double scale);
// What the options ask for: a frame of `frame` size (when given) with the
// picture fitted into it, or filling its width with `fitWidth`; otherwise the
// picture at `scale`.
SurfaceLayout Chosen(Size window, Size frame, bool fitWidth, double scale);
// Surface pixels of a window x, and of a window y counted from the bottom.
int SurfaceX(const SurfaceLayout& layout, Size window, int windowXPx);
int SurfaceY(const SurfaceLayout& layout, Size window, int windowYPx);
// The time between frames shown, smoothed over about sixteen frames from the
// latest gap; a gap over 100 ms (a load, a moved window) is no frame period.
int64_t SmoothedFramePeriodUs(int64_t periodUs, int64_t gapUs);

}  // namespace platform::present::layout
