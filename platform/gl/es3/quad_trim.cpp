// What part of a picture can show through a blend, and the part of a sprite
// quad over it (see quad_trim.h).
#include "gl/es3/quad_trim.h"

#include <algorithm>
#include <cstddef>

namespace platform::gl::es3 {

namespace {

void Include(TexelBox* box, int x, int y) {
    if (box->x0 >= box->x1) {
        *box = {x, y, x + 1, y + 1};
        return;
    }
    box->x0 = std::min(box->x0, x), box->x1 = std::max(box->x1, x + 1);
    box->y0 = std::min(box->y0, y), box->y1 = std::max(box->y1, y + 1);
}

// The texture coordinates, along one of its directions, that can read a
// texel of [first, end) of `sizePx` texels by linear filtering; the whole
// 0..1 where the texels reach the edge (a repeating texture reads across it).
void VisibleRange(int first, int end, int sizePx, float* low, float* high) {
    if (first - 1 <= 0 || end + 1 >= sizePx) {
        *low = 0, *high = 1;
        return;
    }
    *low = static_cast<float>(first - 1) / static_cast<float>(sizePx);
    *high = static_cast<float>(end + 1) / static_cast<float>(sizePx);
}

// The part of 0..1 of a side along which the coordinate runs from `start` by
// `delta` that lies in [low, high].
void SideRange(float start, float delta, float low, float high, float* from, float* to) {
    float a = (low - start) / delta, b = (high - start) / delta;
    *from = std::max(0.0f, std::min(a, b));
    *to = std::min(1.0f, std::max(a, b));
}

bool SameColor(const ImmediateVertex& a, const ImmediateVertex& b) {
    return std::equal(a.color, a.color + 4, b.color);
}

bool InUnitSquare(const ImmediateVertex& v) {
    return v.texCoord[0] >= 0 && v.texCoord[0] <= 1 && v.texCoord[1] >= 0 && v.texCoord[1] <= 1;
}

// The point of the parallelogram at (u, v) of its sides from corner 0 to 1 and from 0 to 3.
ImmediateVertex At(const ImmediateVertex q[4], float u, float v) {
    ImmediateVertex out = q[0];
    for (int i = 0; i < 4; ++i)
        out.position[i] = q[0].position[i] + u * (q[1].position[i] - q[0].position[i]) +
                          v * (q[3].position[i] - q[0].position[i]);
    for (int i = 0; i < 2; ++i)
        out.texCoord[i] = q[0].texCoord[i] + u * (q[1].texCoord[i] - q[0].texCoord[i]) +
                          v * (q[3].texCoord[i] - q[0].texCoord[i]);
    return out;
}

}  // namespace

VisibleTexels FindVisibleTexels(const uint8_t* pixels, int widthPx, int heightPx, int components, int rowAlignment) {
    VisibleTexels found;
    if (!pixels || widthPx <= 0 || heightPx <= 0 || components < 1 || components > 4 || rowAlignment < 1) return found;
    size_t rowBytes = static_cast<size_t>(widthPx) * static_cast<size_t>(components);
    size_t align = static_cast<size_t>(rowAlignment);
    size_t stride = (rowBytes + align - 1) / align * align;
    bool hasAlpha = components == 2 || components == 4;
    int colorComponents = components >= 3 ? 3 : 1;
    for (int y = 0; y < heightPx; ++y) {
        const uint8_t* texel = pixels + static_cast<size_t>(y) * stride;
        for (int x = 0; x < widthPx; ++x, texel += components) {
            if (!hasAlpha || texel[components - 1] != 0) Include(&found.unveiled, x, y);
            if (std::any_of(texel, texel + colorComponents, [](uint8_t c) { return c != 0; })) Include(&found.lit, x, y);
        }
    }
    found.known = true;
    return found;
}

TexelBox Overlap(const TexelBox& a, const TexelBox& b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

QuadTrim TrimQuad(const TexelBox& box, int widthPx, int heightPx, ImmediateVertex q[4]) {
    for (int i = 1; i < 4; ++i)
        if (!SameColor(q[0], q[i])) return QuadTrim::kUnchanged;
    for (int i = 0; i < 4; ++i)
        if (!InUnitSquare(q[i])) return QuadTrim::kUnchanged;
    for (int i = 0; i < 4; ++i)
        if (q[0].position[i] + q[2].position[i] != q[1].position[i] + q[3].position[i]) return QuadTrim::kUnchanged;
    for (int i = 0; i < 2; ++i)
        if (q[0].texCoord[i] + q[2].texCoord[i] != q[1].texCoord[i] + q[3].texCoord[i]) return QuadTrim::kUnchanged;
    float ds1 = q[1].texCoord[0] - q[0].texCoord[0], dt1 = q[1].texCoord[1] - q[0].texCoord[1];
    float ds3 = q[3].texCoord[0] - q[0].texCoord[0], dt3 = q[3].texCoord[1] - q[0].texCoord[1];
    // Which texture direction each pair of sides runs along.
    bool sAlongFirst = dt1 == 0 && ds3 == 0 && ds1 != 0 && dt3 != 0;
    bool tAlongFirst = ds1 == 0 && dt3 == 0 && dt1 != 0 && ds3 != 0;
    if (!sAlongFirst && !tAlongFirst) return QuadTrim::kUnchanged;
    if (box.x0 >= box.x1 || box.y0 >= box.y1) return QuadTrim::kHidden;

    float sLow, sHigh, tLow, tHigh;
    VisibleRange(box.x0, box.x1, widthPx, &sLow, &sHigh);
    VisibleRange(box.y0, box.y1, heightPx, &tLow, &tHigh);
    float s0 = q[0].texCoord[0], t0 = q[0].texCoord[1];
    float u0, u1, v0, v1;
    if (sAlongFirst) {
        SideRange(s0, ds1, sLow, sHigh, &u0, &u1);
        SideRange(t0, dt3, tLow, tHigh, &v0, &v1);
    } else {
        SideRange(t0, dt1, tLow, tHigh, &u0, &u1);
        SideRange(s0, ds3, sLow, sHigh, &v0, &v1);
    }
    if (u0 >= u1 || v0 >= v1) return QuadTrim::kHidden;
    if (u0 == 0 && u1 == 1 && v0 == 0 && v1 == 1) return QuadTrim::kUnchanged;
    ImmediateVertex whole[4] = {q[0], q[1], q[2], q[3]};
    q[0] = At(whole, u0, v0);
    q[1] = At(whole, u1, v0);
    q[2] = At(whole, u1, v1);
    q[3] = At(whole, u0, v1);
    return QuadTrim::kTrimmed;
}

}  // namespace platform::gl::es3
