// Triangles cut to the view volume and the visible rectangle (see coverage.h).
#include "gl/coverage.h"

#include <cmath>
#include <vector>

namespace platform::gl::coverage {

namespace {

struct Point2 {
    double x, y;
};

// Sutherland-Hodgman against one plane, in homogeneous clip space: keeps
// where `distance` is at least 0.
template <typename Distance>
std::vector<ClipPoint> CutByPlane(const std::vector<ClipPoint>& polygon, Distance distance) {
    std::vector<ClipPoint> kept;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const ClipPoint& p = polygon[i];
        const ClipPoint& q = polygon[(i + 1) % polygon.size()];
        double dp = distance(p), dq = distance(q);
        if (dp >= 0) kept.push_back(p);
        if ((dp >= 0) != (dq >= 0)) {
            float t = static_cast<float>(dp / (dp - dq));
            kept.push_back({p.x + t * (q.x - p.x), p.y + t * (q.y - p.y), p.z + t * (q.z - p.z), p.w + t * (q.w - p.w)});
        }
    }
    return kept;
}

// The same against one edge of the visible rectangle, in window pixels.
template <typename Inside, typename Cross>
std::vector<Point2> CutByEdge(const std::vector<Point2>& polygon, Inside inside, Cross cross) {
    std::vector<Point2> kept;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Point2& p = polygon[i];
        const Point2& q = polygon[(i + 1) % polygon.size()];
        if (inside(p)) kept.push_back(p);
        if (inside(p) != inside(q)) kept.push_back(cross(p, q));
    }
    return kept;
}

double SignedArea(const std::vector<Point2>& polygon) {
    double twice = 0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Point2& p = polygon[i];
        const Point2& q = polygon[(i + 1) % polygon.size()];
        twice += p.x * q.y - q.x * p.y;
    }
    return twice / 2;
}

Point2 AtX(const Point2& p, const Point2& q, double x) { return {x, p.y + (q.y - p.y) * (x - p.x) / (q.x - p.x)}; }
Point2 AtY(const Point2& p, const Point2& q, double y) { return {p.x + (q.x - p.x) * (y - p.y) / (q.y - p.y), y}; }

}  // namespace

double TrianglePixels(const ClipPoint& a, const ClipPoint& b, const ClipPoint& c, const Target& target, Cull cull) {
    if (cull == Cull::kBoth) return 0;
    std::vector<ClipPoint> clipped{a, b, c};
    clipped = CutByPlane(clipped, [](const ClipPoint& p) { return static_cast<double>(p.z) + p.w; });  // near
    clipped = CutByPlane(clipped, [](const ClipPoint& p) { return static_cast<double>(p.w) - p.z; });  // far
    if (clipped.size() < 3) return 0;
    const int* v = target.viewport;
    std::vector<Point2> window;
    for (const ClipPoint& p : clipped) {
        if (p.w <= 0) return 0;  // only a degenerate corner between the planes is left
        window.push_back({v[0] + (p.x / p.w + 1) * v[2] / 2.0, v[1] + (p.y / p.w + 1) * v[3] / 2.0});
    }
    double facing = SignedArea(window);
    if ((cull == Cull::kBack && facing < 0) || (cull == Cull::kFront && facing > 0)) return 0;
    const PixelRect& r = target.visible;
    window = CutByEdge(window, [&](const Point2& p) { return p.x >= r.x0; }, [&](const Point2& p, const Point2& q) { return AtX(p, q, r.x0); });
    window = CutByEdge(window, [&](const Point2& p) { return p.x <= r.x1; }, [&](const Point2& p, const Point2& q) { return AtX(p, q, r.x1); });
    window = CutByEdge(window, [&](const Point2& p) { return p.y >= r.y0; }, [&](const Point2& p, const Point2& q) { return AtY(p, q, r.y0); });
    window = CutByEdge(window, [&](const Point2& p) { return p.y <= r.y1; }, [&](const Point2& p, const Point2& q) { return AtY(p, q, r.y1); });
    return window.size() < 3 ? 0 : std::fabs(SignedArea(window));
}

}  // namespace platform::gl::coverage
