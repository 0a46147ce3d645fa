// The window pixels a triangle covers, from its corners in clip space: the
// arithmetic by which the shader path counts the pixels it draws (its
// OpenGL ES context keeps no counts of its own). Pure functions.
#pragma once

namespace platform::gl::coverage {

struct ClipPoint {
    float x, y, z, w;
};

// A rectangle of window pixels, from (x0, y0) to (x1, y1).
struct PixelRect {
    double x0, y0, x1, y1;
};

// The viewport (x, y, width, height) the clip space maps to, and the part of
// the window drawn into (the viewport, within the scissor where it is on).
struct Target {
    int viewport[4];
    PixelRect visible;
};

enum class Cull { kNone, kBack, kFront, kBoth };

// The area, in window pixels, of the triangle a-b-c cut to GL's view volume
// (between the near and far planes) and to `target.visible`; 0 when `cull`
// removes it (counter-clockwise in the window is the front).
double TrianglePixels(const ClipPoint& a, const ClipPoint& b, const ClipPoint& c, const Target& target, Cull cull);

}  // namespace platform::gl::coverage
