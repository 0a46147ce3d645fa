// The show's pictures: backgrounds, clouds, robots, text pictures, shapes,
// strips, greetings and the sixteen-by-sixteen glyphs of the cube letters.
// One palette throughout: night violet and ink, magenta, cyan, amber.
#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

#include "../../main/asset_list.h"
#include "canvas.h"

namespace gen {

namespace {

using namespace palette;
constexpr float kPi = 3.14159265f;

// ---- shared pieces ------------------------------------------------------------

Color VerticalGradient(float v, std::initializer_list<std::pair<float, uint32_t>> stops) {
    auto it = stops.begin();
    auto prev = *it;
    for (++it; it != stops.end(); ++it) {
        if (v <= it->first) {
            float t = (v - prev.first) / (it->first - prev.first);
            return Mix(Rgb(prev.second), Rgb(it->second), Clamp01(t));
        }
        prev = *it;
    }
    return Rgb(prev.second);
}

// Soft points of light, round where the picture is shown `stretchX` times as
// wide as it is.
void Stars(Canvas& c, uint32_t seed, int count, float maxY, float stretchX = 1) {
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        float x = random.Range(0, static_cast<float>(c.width()));
        float y = random.Range(0, maxY);
        float size = random.Range(0.4f, 1.3f);
        float bright = random.Range(0.3f, 1.0f);
        Color tint = Mix(Rgb(kCream), Rgb(kCyan), random.Uniform() * 0.5f);
        int x0 = static_cast<int>(x) - 3, y0 = static_cast<int>(y) - 3;
        for (int py = y0; py <= y0 + 6; ++py)
            for (int px = x0; px <= x0 + 6; ++px) {
                if (px < 0 || py < 0 || px >= c.width() || py >= c.height()) continue;
                float d = std::hypot((px + 0.5f - x) * stretchX, py + 0.5f - y);
                float k = bright * std::exp(-d * d / (size * size));
                Color& p = c.at(px, py);
                p.r += tint.r * k;
                p.g += tint.g * k;
                p.b += tint.b * k;
            }
    }
}

// Text with a coloured glow, centred on (cx, cy). On an opaque canvas the glow
// adds light; on a transparent one it becomes a soft coloured halo.
void GlowText(Canvas& c, const std::string& text, Font font, int size, float cx, float cy, Color textColor,
              Color glowColor, int glowRadius, float spacing = 0, bool additive = true) {
    Mask mask = TextMask(text, font, size, c.width(), c.height(), cx, cy, spacing);
    Mask glow = BoxBlur(mask, glowRadius);
    for (float& v : glow.value) v = Clamp01(v * 2.2f);
    if (additive) {
        AddMask(c, glow, glowColor);
        AddMask(c, mask, textColor);
    } else {
        PaintMask(c, glow, glowColor);
        PaintMask(c, mask, textColor);
    }
}

Canvas Opaque(int w, int h) { return Canvas(w, h, Rgb(0x000000)); }

// Adds a blurred halo of a layer's shape to the canvas, then lays the layer on top.
void GlowAndOver(Canvas& c, const Canvas& layer, int radius, Color glow) {
    Mask shape;
    shape.width = layer.width();
    shape.height = layer.height();
    for (int y = 0; y < layer.height(); ++y)
        for (int x = 0; x < layer.width(); ++x) shape.value.push_back(layer.at(x, y).a);
    AddMask(c, BoxBlur(shape, radius), glow);
    c.Over(layer);
}
Canvas Clear(int w, int h) { return Canvas(w, h, {0, 0, 0, 0}); }

// ---- robots -----------------------------------------------------------------------

struct RobotPose {
    float cx, top, scale;  // centre x and top of the head, in the space of the picture as shown
    bool raisedHand;       // waving hand on its right arm
    bool rightHand;        // the right arm ends in a hand (else in a stump)
};

Color Metal(float v, float top, float height, uint32_t base) {
    float t = Clamp01((v - top) / height);
    return Mix(Scale(Rgb(base), 1.35f), Scale(Rgb(base), 0.55f), t);
}

void DrawRobot(Canvas& c, const RobotPose& pose, float spaceW, float spaceH) {
    float s = pose.scale, cx = pose.cx, top = pose.top;
    auto at = [&](float dx, float dy) { return std::make_pair(cx + dx * s, top + dy * s); };
    auto fill = [&](auto distance, auto color) { c.Fill(distance, color, spaceW, spaceH); };
    auto metal = [&](float y0, float h, uint32_t base) {
        return [=](float, float v) { return Metal(v, top + y0 * s, h * s, base); };
    };
    // Legs and feet
    for (float side : {-1.0f, 1.0f}) {
        auto leg = at(side * 22, 150);
        fill([=](float u, float v) { return SdBox(u, v, leg.first, leg.second, 11 * s, 30 * s, 5 * s); }, metal(120, 60, kSteel));
        auto foot = at(side * 26, 184);
        fill([=](float u, float v) { return SdBox(u, v, foot.first, foot.second, 20 * s, 8 * s, 6 * s); }, metal(176, 16, kViolet));
    }
    // Arms: shoulder to hand
    for (float side : {-1.0f, 1.0f}) {
        bool waving = side > 0 && pose.raisedHand;
        auto shoulder = at(side * 52, 78);
        auto elbow = waving ? at(side * 82, 58) : at(side * 66, 112);
        auto hand = waving ? at(side * 92, 18) : at(side * 70, 146);
        fill([=](float u, float v) { return SdSegment(u, v, shoulder.first, shoulder.second, elbow.first, elbow.second, 16 * s); },
             metal(60, 90, kSteel));
        fill([=](float u, float v) { return SdSegment(u, v, elbow.first, elbow.second, hand.first, hand.second, 14 * s); },
             metal(20, 130, kSteel));
        fill([=](float u, float v) { return SdCircle(u, v, elbow.first, elbow.second, 9 * s); }, metal(50, 80, kPurple));
        bool hasHand = side < 0 || pose.rightHand;
        if (hasHand) {
            fill([=](float u, float v) { return SdCircle(u, v, hand.first, hand.second, 12 * s); }, metal(10, 150, kPurple));
            fill([=](float u, float v) { return SdCircle(u, v, hand.first, hand.second, 5 * s); },
                 [](float, float) { return Rgb(kInk); });
        } else {
            fill([=](float u, float v) { return SdCircle(u, v, hand.first, hand.second, 8 * s); },
                 [](float, float) { return Rgb(kInk); });
        }
    }
    // Body with chest panel and lights
    auto body = at(0, 98);
    fill([=](float u, float v) { return SdBox(u, v, body.first, body.second, 48 * s, 38 * s, 12 * s); }, metal(60, 76, kSteel));
    auto panel = at(0, 102);
    fill([=](float u, float v) { return SdBox(u, v, panel.first, panel.second, 30 * s, 20 * s, 6 * s); },
         [](float, float) { return Rgb(kInk); });
    const uint32_t lights[] = {kCyan, kPink, kAmber};
    for (int i = 0; i < 3; ++i) {
        auto led = at(-16 + 16.0f * i, 96);
        fill([=](float u, float v) { return SdCircle(u, v, led.first, led.second, 9 * s); },
             [=](float u, float v) {
                 float d = std::hypot(u - led.first, v - led.second) / (9 * s);
                 return Color{Rgb(lights[i]).r, Rgb(lights[i]).g, Rgb(lights[i]).b, 0.5f * (1 - d)};
             });
        fill([=](float u, float v) { return SdCircle(u, v, led.first, led.second, 4.5f * s); },
             [=](float, float) { return Mix(Rgb(lights[i]), Rgb(kCream), 0.3f); });
    }
    auto grille = at(0, 120);
    for (int i = 0; i < 3; ++i) {
        float y = grille.second + (i - 1) * 4.5f * s;
        fill([=](float u, float v) { return SdSegment(u, v, grille.first - 22 * s, y, grille.first + 22 * s, y, 2 * s); },
             [](float, float) { return Rgb(kSteel, 0.8f); });
    }
    // Neck, head, visor, eyes, antenna
    auto neck = at(0, 56);
    fill([=](float u, float v) { return SdBox(u, v, neck.first, neck.second, 12 * s, 6 * s, 2 * s); }, metal(50, 12, kViolet));
    auto antennaBase = at(0, 4), antennaTip = at(0, -14);
    fill([=](float u, float v) { return SdSegment(u, v, antennaBase.first, antennaBase.second, antennaTip.first, antennaTip.second, 3 * s); },
         metal(-14, 20, kSteel));
    fill([=](float u, float v) { return SdCircle(u, v, antennaTip.first, antennaTip.second, 9 * s); },
         [=](float u, float v) {
             float d = std::hypot(u - antennaTip.first, v - antennaTip.second) / (9 * s);
             return Color{1.0f, 0.3f, 0.6f, Clamp01(1.2f - d)};
         });
    auto head = at(0, 30);
    fill([=](float u, float v) { return SdBox(u, v, head.first, head.second, 36 * s, 26 * s, 10 * s); }, metal(4, 52, kSteel));
    for (float side : {-1.0f, 1.0f}) {
        auto ear = at(side * 39, 30);
        fill([=](float u, float v) { return SdBox(u, v, ear.first, ear.second, 5 * s, 10 * s, 3 * s); }, metal(20, 20, kPurple));
    }
    auto visor = at(0, 28);
    fill([=](float u, float v) { return SdBox(u, v, visor.first, visor.second, 27 * s, 11 * s, 8 * s); },
         [](float, float) { return Rgb(0x05030f); });
    for (float side : {-1.0f, 1.0f}) {
        auto eye = at(side * 12, 28);
        fill([=](float u, float v) { return SdCircle(u, v, eye.first, eye.second, 9 * s); },
             [=](float u, float v) {
                 float d = std::hypot(u - eye.first, v - eye.second) / (9 * s);
                 Color glow = Rgb(kCyan);
                 return Color{glow.r, glow.g, glow.b, 0.6f * (1 - d)};
             });
        fill([=](float u, float v) { return SdCircle(u, v, eye.first, eye.second, 4.5f * s); },
             [](float, float) { return Mix(Rgb(kCyan), Rgb(kCream), 0.5f); });
    }
    auto mouth = at(0, 46);
    fill([=](float u, float v) { return SdBox(u, v, mouth.first, mouth.second, 14 * s, 2.2f * s, 1 * s); },
         [](float, float) { return Rgb(kPink); });
}

// ---- backgrounds --------------------------------------------------------------------

// The backgrounds are 512 (or 1024) pixels wide and shown 640 (or 1280) wide
// across the band: each is drawn in the space it is shown in, so that what
// is round in it is round on screen.
constexpr float kShownW = 640, kShownH = 256, kStretchX = kShownW / 512;

// Distance, in shown pixels, from a point on the floor to the nearest line of
// a grid of lines `spacing` apart, whose coordinate changes by `perPixel` per
// pixel; lines closer than a few pixels fade out rather than shimmer.
float GridLine(float coordinate, float spacing, float perPixel) {
    float cells = coordinate / spacing;
    float toLine = std::fabs(cells - std::round(cells)) * spacing / perPixel;
    float spacingPx = spacing / perPixel;
    return Clamp01(1.1f - toLine) * Smooth(2.5f, 6, spacingPx);
}

Canvas SunsetGrid() {  // tausta1: sky, striped sun, perspective grid floor
    Canvas c(512, 256);
    const float horizon = 160, centreX = kShownW / 2;
    c.Shade(
        [&](float u, float v) {
            if (v < horizon) {
                Color sky = VerticalGradient(v / horizon, {{0, kInk}, {0.45f, kViolet}, {0.8f, kMagenta}, {1, kAmber}});
                float haze = Fbm(u / 80, v / 32, 8, 7) * 0.25f;
                return Mix(sky, Rgb(kPink), haze * (v / horizon));
            }
            // A floor seen from above it: a row `below` pixels under the
            // horizon lies at distance `eyeHeight` / `below`.
            const float eyeHeight = 96, focal = 96;
            float below = v - horizon + 0.5f;
            float depth = below / (256 - horizon);
            float z = eyeHeight / below;
            float x = (u - centreX) * z / focal;
            float across = GridLine(x, 0.5f, z / focal);
            float along = GridLine(z, 0.5f, z * z / eyeHeight);
            float line = std::max(across, along);
            Color floor = Mix(Rgb(0x1a0733), Rgb(kInk), depth);
            Color glow = Mix(Rgb(kMagenta), Rgb(kPink), depth);
            return Mix(floor, glow, line * (0.45f + 0.55f * depth));
        },
        kShownW, kShownH);
    Stars(c, 11, 90, 90, kStretchX);
    Canvas sun = Clear(512, 256);
    sun.Fill([&](float u, float v) { return std::max(SdCircle(u, v, centreX, horizon - 6, 58), v - horizon); },
             [&](float, float v) {
                 float stripe = v > 120 && std::fmod(v - 120, 9.0f) < (v - 120) / 9 ? 0.0f : 1.0f;
                 Color col = VerticalGradient((v - 90) / 70, {{0, kCream}, {0.5f, kAmber}, {1, kPink}});
                 return Color{col.r, col.g, col.b, stripe};
             },
             kShownW, kShownH);
    c.Over(sun);
    return c;
}

Canvas Nebula() {  // tausta3: purple nebula around a radial glow
    Canvas c(512, 256);
    c.Shade([](float u, float v) {
        float n = Fbm(u / 90, v / 90, 0, 21);
        float m = Fbm(u / 40 + 7, v / 40, 0, 22);
        float r = std::hypot((u - 300) / 256, (v - 120) / 160);
        Color base = VerticalGradient(v / 256, {{0, kInk}, {1, 0x1b0b3a}});
        Color cloud = Mix(Rgb(kViolet), Rgb(kMagenta), Smooth(0.45f, 0.8f, m));
        Color col = Mix(base, cloud, Smooth(0.35f, 0.75f, n) * 0.85f);
        return Mix(col, Rgb(kPink), Clamp01(0.6f - r) * 0.7f);
    });
    Stars(c, 23, 160, 256, kStretchX);
    return c;
}

Canvas CircuitBoard() {  // tausta2: traces and pads
    Canvas c(512, 256);
    c.Shade(
        [](float u, float v) {
            float n = Fbm(u / 62.5f, v / 50, 0, 31) * 0.3f;
            return Mix(VerticalGradient(v / 256, {{0, 0x06162e}, {1, 0x031018}}), Rgb(kTeal), n * 0.35f);
        },
        kShownW, kShownH);
    Random random(33);
    Canvas traces = Clear(512, 256);
    for (int i = 0; i < 46; ++i) {
        float x = std::round(random.Range(0, kShownW) / 16) * 16, y = std::round(random.Range(0, 256) / 16) * 16;
        float width = random.Range(1.5f, 3.0f);
        Color col = Mix(Rgb(kCyan), Rgb(kTeal), random.Uniform());
        for (int seg = 0; seg < 4; ++seg) {
            bool horizontal = random.Uniform() < 0.6f;
            float length = std::round(random.Range(2, 8)) * 16 * (random.Uniform() < 0.5f ? -1 : 1);
            float nx = horizontal ? x + length : x, ny = horizontal ? y : y + length;
            traces.Fill([=](float u, float v) { return SdSegment(u, v, x, y, nx, ny, width); },
                        [=](float, float) { return Color{col.r, col.g, col.b, 0.85f}; }, kShownW, kShownH);
            x = nx;
            y = ny;
        }
        traces.Fill([=](float u, float v) { return std::fabs(SdCircle(u, v, x, y, 4)) - 1.2f; },
                    [=](float, float) { return Rgb(kCream, 0.9f); }, kShownW, kShownH);
    }
    GlowAndOver(c, traces, 4, Rgb(kCyan, 0.45f));
    Canvas lit = c;
    c.Shade(
        [&](float u, float v) {
            Color p = lit.at(static_cast<int>(u / kStretchX), static_cast<int>(v));
            float vignette = 1 - 0.55f * std::pow(std::hypot((u - 320) / 320, (v - 128) / 128) / 1.42f, 2.0f);
            return Scale(p, vignette);
        },
        kShownW, kShownH);
    return c;
}

Canvas SunRays() {  // tausta4: warm dawn with rays over a dark ridge
    Canvas c(512, 256);
    c.Shade(
        [](float u, float v) {
            float dx = u - 320, dy = v - 250;
            float angle = std::atan2(dy, dx);
            float rays = 0.5f + 0.5f * std::sin(angle * 22 + Fbm(angle * 3 + 10, 0.5f, 0, 41) * 6);
            float r = std::hypot(dx, dy) / 300;
            Color sky = VerticalGradient(v / 256, {{0, 0x2a1050}, {0.5f, kMagenta}, {0.78f, kAmber}, {0.9f, kCream}});
            Color col = Mix(sky, Rgb(kCream), rays * 0.28f * Clamp01(1.1f - r));
            float cloud = Smooth(0.5f, 0.8f, Fbm(u / 87.5f, v / 24, 0, 43));
            col = Mix(col, Rgb(0x3a1050), cloud * 0.45f * (1 - v / 256));
            // The ridge the dawn rises behind: dark, so what lies on the
            // band's lower edge reads against it.
            float x = u / kStretchX;
            float ridge = 204 + 7 * std::sin(x / 37 + 1) + 9 * Fbm(x / 45, 2, 0, 44);
            float rim = Smooth(6, 0, std::fabs(v - ridge));
            if (v > ridge) col = Mix(Rgb(0x2a0c30), Rgb(kInk), Clamp01((v - ridge) / 30));
            return Mix(col, Rgb(kAmber), rim * 0.35f);
        },
        kShownW, kShownH);
    return c;
}

Canvas HexGrid() {  // tausta5: blue hexagon grid with a central light
    Canvas c(512, 256);
    c.Shade(
        [](float u, float v) {
        const float size = 18;
        float qx = u / (size * 1.7320508f), qy = v / (size * 1.5f);
        float row = std::floor(qy);
        float shift = std::fmod(row, 2.0f) * 0.5f;
        float cellX = std::floor(qx - shift) + shift + 0.5f;
        float cx = cellX * size * 1.7320508f, cy = (row + 0.5f) * size * 1.5f;
        float best = 1e9f;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                float r2 = row + dy;
                float sh = std::fmod(std::fabs(r2), 2.0f) * 0.5f;
                float x = (std::floor(qx - sh) + sh + 0.5f + dx) * size * 1.7320508f, y = (r2 + 0.5f) * size * 1.5f;
                best = std::min(best, std::hypot(u - x, v - y));
            }
        (void)cx;
        (void)cy;
        float edge = Smooth(size * 0.78f, size * 0.9f, best);
        float light = Clamp01(1 - std::hypot((u - 320) / 375, (v - 128) / 170));
        Color base = VerticalGradient(v / 256, {{0, 0x050a24}, {1, kInk}});
        Color col = Mix(base, Rgb(kDeepBlue), light);
        return Mix(col, Mix(Rgb(kCyan), Rgb(kViolet), 1 - light), edge * (0.25f + 0.6f * light));
        },
        kShownW, kShownH);
    return c;
}

Canvas DesertSun() {  // tausta6: warm dunes under a big sun
    Canvas c(512, 256);
    c.Shade(
        [](float u, float v) {
            Color sky = VerticalGradient(v / 256, {{0, 0x2b0c2e}, {0.4f, 0xb8325a}, {0.65f, kAmber}, {1, 0x4a1420}});
            float sun = Clamp01(1 - SdCircle(u, v, 412, 118, 52) / 4);
            Color col = Mix(sky, Rgb(kCream), sun * 0.9f);
            float glow = std::exp(-std::pow(SdCircle(u, v, 412, 118, 52) / 60, 2.0f));
            col = Mix(col, Rgb(kAmber), std::max(0.0f, glow) * 0.35f * (1 - sun));
            float x = u / kStretchX;
            float dune1 = 170 + 18 * std::sin(x / 61) + 10 * Fbm(x / 40, 1, 0, 51);
            float dune2 = 200 + 14 * std::sin(x / 43 + 2) + 12 * Fbm(x / 30, 3, 0, 52);
            if (v > dune1) col = Mix(Rgb(0x6a1f2a), Rgb(0x2b0c1e), (v - dune1) / 80);
            if (v > dune2) col = Mix(Rgb(0x3d0f22), Rgb(kInk), (v - dune2) / 60);
            return col;
        },
        kShownW, kShownH);
    return c;
}

Canvas Bokeh() {  // tausta7: teal to violet diagonal bands with soft lights
    Canvas c(512, 256);
    c.Shade([](float u, float v) {
        float t = (u + v * 0.8f) / 720;
        Color col = Mix(Rgb(0x06303a), Rgb(0x2a0f4f), t);
        float band = 0.5f + 0.5f * std::sin((u - v) / 18);
        return Mix(col, Scale(col, 1.5f), band * 0.25f);
    });
    Random random(71);
    for (int i = 0; i < 28; ++i) {
        float x = random.Range(0, kShownW), y = random.Range(0, 256), r = random.Range(6, 26);
        Color tint = Mix(Rgb(kCyan), Rgb(kPink), random.Uniform());
        float alpha = random.Range(0.08f, 0.25f);
        c.Fill([=](float u, float v) { return SdCircle(u, v, x, y, r); },
               [=](float u, float v) {
                   float edge = std::hypot(u - x, v - y) / r;
                   return Color{tint.r, tint.g, tint.b, alpha * (0.6f + 0.4f * edge)};
               },
               kShownW, kShownH);
    }
    return c;
}

Canvas Panorama() {  // ptausta: 1024-wide mountain ranges under a starry sky
    Canvas c(1024, 256);
    c.Shade([](float u, float v) {
        Color col = VerticalGradient(v / 256, {{0, kInk}, {0.5f, kViolet}, {0.72f, kMagenta}, {0.82f, kAmber}, {1, 0x1a0733}});
        const uint32_t ranges[] = {0x2c1458, 0x1d0d3e, 0x0f0722};
        for (int r = 0; r < 3; ++r) {
            float ridge = 150 + r * 28 - 70 * Fbm(u / (180 - r * 40), r * 5.0f, 0, 61 + r) + 20 * r * std::sin(u / 97 + r);
            if (v > ridge) col = Mix(Rgb(ranges[r]), Scale(Rgb(ranges[r]), 0.5f), Clamp01((v - ridge) / 90));
        }
        return col;
    });
    Stars(c, 63, 220, 110, kStretchX);
    return c;
}

// The noise's lattice has a whole number of cells across, so the picture
// repeats without a seam when the scene scrolls it by its texture offset.
Canvas Clouds(uint32_t seed, int cellsAcross, Color tint) {  // pilvi1, pilvi2: tile across
    Canvas c(512, 256);
    const int period = cellsAcross;
    const float scale = 512.0f / cellsAcross;
    c.Shade([&](float u, float v) {
        float n = Fbm(u / scale, v / scale, period, seed);
        float density = Smooth(0.45f, 0.78f, n) * (0.4f + 0.6f * std::sin(kPi * v / 256));
        return Color{tint.r * density, tint.g * density, tint.b * density, 1};
    });
    return c;
}

// ---- strips ---------------------------------------------------------------------------

Canvas CurveStrip() {  // kayra: a glowing wave that tiles across
    Canvas c = Opaque(512, 32);
    Canvas line = Clear(512, 32);
    line.Fill([](float u, float v) {
                  float y = 16 + 9 * std::sin(u * 2 * kPi / 256) + 3 * std::sin(u * 2 * kPi / 64);
                  return std::fabs(v - y) - 1.4f;
              },
              [](float u, float) { return Mix(Rgb(kCyan), Rgb(kPink), 0.5f + 0.5f * std::sin(u * 2 * kPi / 512)); });
    GlowAndOver(c, line, 3, Rgb(kMagenta, 0.8f));
    return c;
}

Canvas Digits(int width, int height, int spacing, int size, uint32_t seed, Color color) {  // bitit, bitit1
    Canvas c = Opaque(width, height);
    Random random(seed);
    for (int i = 0; i * spacing < width; ++i) {
        std::string digit = random.Uniform() < 0.5f ? "0" : "1";
        float bright = random.Range(0.45f, 1.0f);
        Mask mask = TextMask(digit, Font::MonoBold, size, width, height, i * spacing + spacing / 2.0f, height / 2.0f);
        AddMask(c, BoxBlur(mask, 2), Scale(color, 0.6f * bright));
        AddMask(c, mask, Scale(color, bright));
    }
    return c;
}

Canvas CurveTile() {  // ktausta: dark tile behind the curves
    Canvas c(32, 32);
    c.Shade([](float, float v) {
        Color col = VerticalGradient(v / 32, {{0, 0x140a30}, {0.5f, 0x24104a}, {1, 0x0a0520}});
        if (v > 30 || v < 2) col = Mix(col, Rgb(kMagenta), 0.35f);
        return Scale(col, 0.5f);
    });
    return c;
}

// ---- text pictures --------------------------------------------------------------------

// Small enough in its 32 rows that the glow fades out before the edges.
Canvas Banner() {  // dstroy: additive "DESTROY" banner
    Canvas c = Opaque(256, 32);
    GlowText(c, "DESTROY", Font::SansBold, 21, 128, 16, Rgb(kCream), Rgb(kPink, 0.9f), 2, 4);
    return c;
}

// Each layer carries only its own characters (with their glow), set where
// they stand in the whole title, so the three layers add up to the title.
Canvas TitleLayer(int part, int width) {  // pqn01 to pqn03: ".P.Q.N." in three additive layers
    const std::string title = ".P.Q.N.";
    const int size = 58;
    const float spacing = 2;
    std::vector<float> advances = TextAdvances(title, Font::SerifBold, size, spacing);
    float total = 0;
    for (float a : advances) total += a;
    // Parts: ".P" / ".Q" / ".N." split at character boundaries.
    const size_t firstChar[] = {0, 2, 4, 7};
    float left = 128 - (total - spacing) / 2, partTotal = 0;
    for (size_t i = 0; i < firstChar[part + 1]; ++i) {
        if (i < firstChar[part]) left += advances[i];
        else partTotal += advances[i];
    }
    std::string characters = title.substr(firstChar[part], firstChar[part + 1] - firstChar[part]);
    Canvas c = Opaque(width, 128);
    const uint32_t colors[] = {kCyan, kPink, kAmber};
    GlowText(c, characters, Font::SerifBold, size, left + (partTotal - spacing) / 2, 64, Rgb(kCream),
             Rgb(colors[part], 0.95f), 5, spacing);
    return c;
}

Canvas NamePlate(const std::string& name, uint32_t accent) {  // robotqz, miralqz (lower three quarters show)
    Canvas c = Clear(512, 256);
    c.Fill([](float u, float v) { return SdBox(u, v, 256, 158, 200, 52, 22); },
           [&](float, float v) {
               Color col = VerticalGradient((v - 106) / 104, {{0, 0x2a1a5c}, {1, kInk}});
               return Color{col.r, col.g, col.b, 0.92f};
           });
    c.Fill([](float u, float v) { return std::fabs(SdBox(u, v, 256, 158, 200, 52, 22)) - 2; },
           [&](float, float) { return Rgb(accent); });
    Canvas text = Clear(512, 256);
    GlowText(text, name, Font::SansBold, 64, 230, 156, Rgb(kCream), Rgb(accent, 0.8f), 6, 6, false);
    GlowText(text, "qz", Font::SerifBold, 34, 420, 168, Rgb(accent), Rgb(accent, 0.5f), 3, 0, false);
    c.Over(text);
    return c;
}

// The three credits stand side by side where their shapes come to rest, the
// music's quad partly left of the band: each plate is centred on its shape at
// `centreX` and narrow enough that the three neither overlap nor leave the band.
Canvas Credit(const std::string& role, const std::string& handle, uint32_t accent, float centreX) {  // code, gfx, music
    Canvas c = Clear(256, 256);
    c.Fill([=](float u, float v) { return SdBox(u, v, centreX, 150, 90, 44, 14); },
           [](float, float) { return Rgb(kInk, 0.8f); });
    GlowText(c, role, Font::Mono, 20, centreX, 124, Rgb(accent), Rgb(accent, 0.4f), 2, 3, false);
    GlowText(c, handle, Font::SansBold, 34, centreX, 160, Rgb(kCream), Rgb(accent, 0.85f), 4, 1, false);
    return c;
}

Canvas Caption(int w, int h, const std::string& text, int size, uint32_t accent, bool withCursor) {
    Canvas c = Clear(w, h);
    c.Fill([=](float u, float v) { return SdBox(u, v, w / 2.0f, h / 2.0f, w / 2.0f - 3, h / 2.0f - 3, 6); },
           [](float, float) { return Rgb(kInk, 0.75f); });
    c.Fill([=](float u, float v) { return std::fabs(SdBox(u, v, w / 2.0f, h / 2.0f, w / 2.0f - 3, h / 2.0f - 3, 6)) - 1; },
           [=](float, float) { return Rgb(accent); });
    GlowText(c, text, Font::MonoBold, size, w / 2.0f - (withCursor ? 8 : 0), h / 2.0f, Rgb(kCream), Rgb(accent, 0.8f), 3, 1, false);
    if (withCursor) {
        float x = w / 2.0f + text.size() * size * 0.31f;
        c.Fill([=](float u, float v) { return SdBox(u, v, x, h / 2.0f, size * 0.25f, size * 0.4f, 1); },
               [=](float, float) { return Rgb(accent); });
    }
    return c;
}

Canvas Connecting() {  // conne: "connecting" with a progress of dots
    Canvas c = Caption(256, 128, "connecting", 26, kCyan, false);
    for (int i = 0; i < 8; ++i) {
        float x = 58 + i * 20.0f;
        float level = i < 5 ? 1.0f : 0.25f;
        c.Fill([=](float u, float v) { return SdBox(u, v, x, 96, 7, 5, 2); },
               [=](float, float) { return Mix(Rgb(kInk), Rgb(kCyan), level); });
    }
    return c;
}

Canvas Shout(bool burst) {  // huuto1 (bubble), huuto2 (burst): shouts on the left
    Canvas c = Clear(256, 256);
    const float cx = 120, cy = 112;
    auto shape = [=](float u, float v) {
        float angle = std::atan2(v - cy, u - cx);
        float spikes = burst ? 14 : 9;
        float radius = (burst ? 96 : 78) + (burst ? 18 : 9) * std::sin(angle * spikes);
        return std::hypot((u - cx) * 0.92f, v - cy) - radius;
    };
    uint32_t fill = burst ? kAmber : kCream;
    c.Fill(shape, [=](float, float v) { return Mix(Rgb(fill), Rgb(burst ? kPink : kAmber), v / 256 * 0.6f); });
    c.Fill([=](float u, float v) { return std::fabs(shape(u, v)) - 3; }, [](float, float) { return Rgb(kInk); });
    if (!burst) c.Fill([](float u, float v) { return SdTriangle(u, v, 150, 170, 190, 168, 198, 222); },
                       [](float, float) { return Rgb(kCream); });
    GlowText(c, burst ? "NOW!" : "HEY!", Font::SansBold, burst ? 56 : 48, cx, cy - 4, Rgb(kInk), Rgb(kPink, 0.5f), 2, 2,
             false);
    return c;
}

Canvas Requested() {  // req: a stamp under the shouts
    Canvas c = Clear(256, 256);
    c.Fill([](float u, float v) { return std::fabs(SdBox(u, v, 120, 218, 104, 22, 4)) - 2.5f; },
           [](float, float) { return Rgb(kPink); });
    GlowText(c, "REQUESTED", Font::MonoBold, 28, 120, 218, Rgb(kPink), Rgb(kMagenta, 0.5f), 2, 1, false);
    return c;
}

// A framed sign centred on `centreY`, `halfHeight` above and below it.
Canvas GreySign(const std::string& text, int size, float centreY, float halfHeight) {  // nonstop, nomatch: alpha equals grey
    Canvas c = Opaque(256, 128);
    GlowText(c, text, Font::SansBold, size, 128, centreY, Rgb(0xffffff), Rgb(0xffffff, 0.6f), size / 6, 2);
    c.Fill([=](float u, float v) { return std::fabs(SdBox(u, v, 128, centreY, 118, halfHeight, 12)) - 1.5f; },
           [](float, float) { return Rgb(0xc0c0c0); });
    return c;
}

// The square's quad comes to rest 48 pixels left of the band, so the square
// stands right of its quad's centre, inside the band.
Canvas ShapeGlow(int kind) {  // kolmio 0, ympyra 1, nelio 2: glowing outlines
    Canvas c = Opaque(256, 256);
    auto outline = [=](float u, float v) {
        float d = kind == 0   ? SdTriangle(u, v, 128, 30, 226, 206, 30, 206)
                  : kind == 1 ? SdCircle(u, v, 128, 128, 96)
                              : SdBox(u, v, 148, 128, 82, 82, 6);
        return d;
    };
    Canvas line = Clear(256, 256);
    line.Fill([=](float u, float v) { return std::fabs(outline(u, v)) - 3; }, [](float, float) { return Rgb(0xffffff); });
    line.Fill([=](float u, float v) { return std::fabs(outline(u, v) + 14) - 1; }, [](float, float) { return Rgb(0x9a9a9a); });
    c.Shade([&](float u, float v) {
        float inside = outline(u, v) < 0 ? 0.12f * (1 - Clamp01(-outline(u, v) / 90)) : 0;
        return Color{inside, inside, inside, 1};
    });
    GlowAndOver(c, line, 7, Rgb(0xffffff, 0.7f));
    return c;
}

Canvas Ring() {  // rengas: a bright ring
    Canvas c = Opaque(64, 64);
    c.Shade([](float u, float v) {
        float d = std::fabs(std::hypot(u - 32, v - 32) - 22);
        float k = std::exp(-d * d / 6) + 0.35f * std::exp(-d * d / 60);
        return Color{k, k, k, 1};
    });
    return c;
}

// Fifteen of these are added over each other on the fan's squares, which
// turn about their middle column 0.2 in front of the eye, so the near plane
// cuts every square turned more than about 17 degrees along a vertical line
// within 0.36 of that column (in units of half the square). The glow is dark
// there and falls to black before the square's edges, so neither the cut nor
// an edge shows as a hard line, and it is dim enough to stack.
Canvas FanGlow() {  // env01: a glow that reads on the turning fan
    Canvas c(256, 256);
    c.Shade([](float u, float v) {
        float x = (u - 128) / 128, y = (v - 128) / 128;
        float across = std::fabs(x);
        float r = std::hypot(x, y);
        float rings = 0.5f + 0.5f * std::cos(r * 26);
        Color inner = Mix(Rgb(kCyan), Rgb(kMagenta), Smooth(0.4f, 0.9f, r));
        float k = (0.55f + 0.45f * rings) * std::exp(-y * y * 2.5f);
        float window = Smooth(0.38f, 0.62f, across) * Smooth(0.97f, 0.72f, across) * Smooth(0.97f, 0.6f, std::fabs(y));
        return Scale(inner, Clamp01(k) * 1.8f * window);
    });
    return c;
}

Canvas Greeting(const std::string& group, int index) {  // g01 to g12: grey, upright on the panel
    Canvas c(256, 128);
    c.Shade([&](float u, float v) {
        float n = Fbm(u / 40, v / 40, 0, 80 + index) * 0.12f;
        float k = 0.1f + 0.1f * (1 - v / 128) + n;
        return Color{k, k, k, 1};
    });
    c.Fill([](float u, float v) { return std::fabs(SdBox(u, v, 128, 64, 120, 56, 10)) - 1.5f; },
           [](float, float) { return Rgb(0xb0b0b0); });
    GlowText(c, "greetings to", Font::Mono, 14, 128, 30, Rgb(0xc8c8c8), Rgb(0xffffff, 0.2f), 1, 1);
    int size = group.size() > 12 ? 22 : 27;
    GlowText(c, group, Font::SansBold, size, 128, 74, Rgb(0xffffff), Rgb(0xffffff, 0.45f), 4, 1);
    return c;
}

// 16 x 16 glyph: rendered large and averaged down, then steepened so strokes read as full cubes.
std::vector<uint8_t> Glyph(const std::string& character) {
    const int big = 128;
    Mask mask = TextMask(character, Font::SansBold, 124, big, big, 64, 64);
    std::vector<uint8_t> out(256);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            float sum = 0;
            for (int sy = 0; sy < 8; ++sy)
                for (int sx = 0; sx < 8; ++sx) sum += mask.at(x * 8 + sx, y * 8 + sy);
            float v = Smooth(0.15f, 0.75f, sum / 64);
            out[16 * y + x] = static_cast<uint8_t>(std::lround(v * 255));
        }
    return out;
}

// ---- robot pictures ---------------------------------------------------------------------

Canvas RobotPicture(int w, int h, float shownW, float shownH, RobotPose pose) {
    Canvas c = Clear(w, h);
    DrawRobot(c, pose, shownW, shownH);
    return c;
}

// The maker of each data file's picture, by its name.
std::map<std::string, std::function<Canvas()>> Makers() {
    static const char* const groups[] = {"Nebula Ducks", "Quartz Ferrets", "Polar Static", "Kilobyte Kru",
                                         "Vapor Loom",   "Lumen Tribe",    "Mothwave",     "Sinus Kollektiv",
                                         "Neon Alder",   "Byte Orchard",   "Haze Fabrik",  "Copper Owls"};
    // The robots are drawn in the space they are shown in.
    std::map<std::string, std::function<Canvas()>> makers = {
        {"tausta1", SunsetGrid},
        {"dstroy", Banner},
        {"pilvi1", [] { return Clouds(91, 8, Rgb(0xf0d0ff)); }},
        {"pilvi2", [] { return Clouds(92, 12, Rgb(0xffc0e0)); }},
        {"tausta2", CircuitBoard},
        {"tausta3", Nebula},
        {"pqn01", [] { return TitleLayer(0, 128); }},
        {"pqn02", [] { return TitleLayer(1, 256); }},
        {"pqn03", [] { return TitleLayer(2, 256); }},
        {"tausta4", SunRays},
        {"tausta5", HexGrid},
        {"ktausta", CurveTile},
        {"kayra", CurveStrip},
        {"ptausta", Panorama},
        {"env01", FanGlow},
        {"bitit", [] { return Digits(512, 32, 16, 22, 101, Rgb(0x40ffb0)); }},
        {"tausta6", DesertSun},
        {"tausta7", Bokeh},
        {"robo1", [] { return RobotPicture(512, 256, 640, 256, {320, 34, 1.05f, false, true}); }},
        {"req", Requested},
        {"robotqz", [] { return NamePlate("robot", kCyan); }},
        {"miralqz", [] { return NamePlate("miral", kPink); }},
        {"robopaa01", [] { return RobotPicture(256, 128, 256, 128, {128, 40, 1.55f, false, true}); }},
        {"code", [] { return Credit("code", "vektori", kCyan, 128); }},
        {"gfx", [] { return Credit("graphics", "pikseli", kPink, 128); }},
        {"music", [] { return Credit("music", "tahti", kAmber, 148); }},
        {"ekarob", [] { return RobotPicture(512, 256, 640, 256, {470, 40, 1.0f, true, true}); }},
        {"tokarob", [] { return RobotPicture(512, 256, 512, 256, {370, 40, 1.0f, false, false}); }},
        {"recon", [] { return Caption(256, 32, "rekonnekting", 18, kPink, true); }},
        {"conne", Connecting},
        {"huuto1", [] { return Shout(false); }},
        {"huuto2", [] { return Shout(true); }},
        {"nonstop", [] { return GreySign("NON-STOP", 34, 64, 40); }},
        // In the top half of its quad, above where the curve strips rise to.
        {"nomatch", [] { return GreySign("NO MATCH", 28, 29, 25); }},
        {"kolmio", [] { return ShapeGlow(0); }},
        {"ympyra", [] { return ShapeGlow(1); }},
        {"nelio", [] { return ShapeGlow(2); }},
        {"bitit1", [] { return Digits(512, 16, 8, 12, 102, Rgb(0xffffff)); }},
        {"rengas", Ring},
    };
    for (int i = 0; i < 12; ++i) {
        char greeting[8];
        std::snprintf(greeting, sizeof greeting, "g%02d", i + 1);
        makers[greeting] = [i] { return Greeting(groups[i], i); };
    }
    return makers;
}

// "images\\name.raw" -> "name"
std::string NameOf(const char* file) {
    std::string name = file;
    name = name.substr(name.find_last_of('\\') + 1);
    return name.substr(0, name.size() - 4);
}

}  // namespace

std::vector<Picture> MakePictures() {
    const std::map<std::string, std::function<Canvas()>> makers = Makers();
    std::vector<Picture> pictures;
    for (size_t i = 0; i < kPictureAssetCount; ++i) {
        const PictureAsset& asset = kPictureAssets[i];
        std::string name = NameOf(asset.file);
        auto maker = makers.find(name);
        if (maker == makers.end()) throw std::runtime_error("no picture is made for " + name);
        Canvas canvas = maker->second();
        if (canvas.width() != asset.width || canvas.height() != asset.height)
            throw std::runtime_error(name + " is made at another size than the show loads it");
        int channels = PictureChannels(i);
        pictures.push_back({name, canvas.width(), canvas.height(), channels, canvas.Bytes(channels)});
    }
    for (size_t i = 0; i < kGlyphAssetCount; ++i)
        pictures.push_back({NameOf(kGlyphAssets[i].file), 16, 16, 1, Glyph(std::string(1, kGlyphAssets[i].character))});
    return pictures;
}

}  // namespace gen
