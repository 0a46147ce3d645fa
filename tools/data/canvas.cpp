// Canvas, masks, noise, distances and FreeType text for the data generator.
#include "canvas.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace gen {

Canvas::Canvas(int width, int height, Color fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Shade(const std::function<Color(float, float)>& shader, float spaceWidth, float spaceHeight) {
    float sx = (spaceWidth > 0 ? spaceWidth : width_) / width_;
    float sy = (spaceHeight > 0 ? spaceHeight : height_) / height_;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) at(x, y) = shader((x + 0.5f) * sx, (y + 0.5f) * sy);
}

static Color OverPixel(Color dst, Color src, float coverage) {
    float a = Clamp01(src.a * coverage);
    float outA = a + dst.a * (1 - a);
    if (outA <= 0) return {0, 0, 0, 0};
    auto channel = [&](float s, float d) { return (s * a + d * dst.a * (1 - a)) / outA; };
    return {channel(src.r, dst.r), channel(src.g, dst.g), channel(src.b, dst.b), outA};
}

void Canvas::Fill(const std::function<float(float, float)>& distance, const std::function<Color(float, float)>& color,
                  float spaceWidth, float spaceHeight) {
    float sx = (spaceWidth > 0 ? spaceWidth : width_) / width_;
    float sy = (spaceHeight > 0 ? spaceHeight : height_) / height_;
    float pixel = std::max(sx, sy);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            float u = (x + 0.5f) * sx, v = (y + 0.5f) * sy;
            float coverage = Clamp01(0.5f - distance(u, v) / pixel);
            if (coverage <= 0) continue;
            at(x, y) = OverPixel(at(x, y), color(u, v), coverage);
        }
    }
}

void Canvas::AddGlow(const Canvas& light, float strength) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const Color& l = light.at(x, y);
            Color& p = at(x, y);
            float k = l.a * strength;
            p.r += l.r * k;
            p.g += l.g * k;
            p.b += l.b * k;
        }
    }
}

void Canvas::Over(const Canvas& top, int atX, int atY) {
    for (int y = 0; y < top.height(); ++y)
        for (int x = 0; x < top.width(); ++x) {
            int tx = x + atX, ty = y + atY;
            if (tx < 0 || ty < 0 || tx >= width_ || ty >= height_) continue;
            at(tx, ty) = OverPixel(at(tx, ty), top.at(x, y), 1);
        }
}

static uint8_t Byte(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

std::vector<uint8_t> Canvas::Bytes(int channels, bool alphaAsGrey) const {
    std::vector<uint8_t> out;
    out.reserve(pixels_.size() * channels);
    for (const Color& c : pixels_) {
        if (channels == 1) {
            out.push_back(Byte(alphaAsGrey ? c.a : 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b));
            continue;
        }
        out.push_back(Byte(c.r));
        out.push_back(Byte(c.g));
        out.push_back(Byte(c.b));
        if (channels == 4) out.push_back(Byte(c.a));
    }
    return out;
}

Mask BoxBlur(const Mask& mask, int radius, int passes) {
    Mask out = mask;
    std::vector<float> line;
    for (int pass = 0; pass < passes; ++pass) {
        for (int horizontal = 0; horizontal < 2; ++horizontal) {
            int n = horizontal ? out.width : out.height;
            int lines = horizontal ? out.height : out.width;
            line.resize(n);
            for (int l = 0; l < lines; ++l) {
                auto index = [&](int i) { return horizontal ? static_cast<size_t>(l) * out.width + i : static_cast<size_t>(i) * out.width + l; };
                for (int i = 0; i < n; ++i) line[i] = out.value[index(i)];
                float sum = 0;
                for (int i = -radius; i <= radius; ++i) sum += (i >= 0 && i < n) ? line[i] : 0;
                for (int i = 0; i < n; ++i) {
                    out.value[index(i)] = sum / (2 * radius + 1);
                    int add = i + radius + 1, drop = i - radius;
                    sum += (add < n ? line[add] : 0) - (drop >= 0 ? line[drop] : 0);
                }
            }
        }
    }
    return out;
}

void PaintMask(Canvas& canvas, const Mask& mask, Color color, int atX, int atY) {
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            int tx = x + atX, ty = y + atY;
            float m = mask.at(x, y);
            if (m <= 0 || tx < 0 || ty < 0 || tx >= canvas.width() || ty >= canvas.height()) continue;
            canvas.at(tx, ty) = OverPixel(canvas.at(tx, ty), color, m);
        }
}

void AddMask(Canvas& canvas, const Mask& mask, Color color, int atX, int atY) {
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            int tx = x + atX, ty = y + atY;
            float m = mask.at(x, y) * color.a;
            if (m <= 0 || tx < 0 || ty < 0 || tx >= canvas.width() || ty >= canvas.height()) continue;
            Color& p = canvas.at(tx, ty);
            p.r += color.r * m;
            p.g += color.g * m;
            p.b += color.b * m;
            p.a = std::max(p.a, Clamp01(m));
        }
}

// ---- text ----------------------------------------------------------------------

static FT_Face Face(Font font) {
    static FT_Library library = nullptr;
    static FT_Face faces[5] = {};
    static const char* const files[5] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf",
                                         "DejaVuSansMono-Bold.ttf", "DejaVuSerif-Bold.ttf"};
    int index = static_cast<int>(font);
    if (faces[index]) return faces[index];
    if (!library && FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "pqn-data: cannot start FreeType\n");
        std::exit(1);
    }
    std::string path = std::string("/usr/share/fonts/truetype/dejavu/") + files[index];
    if (FT_New_Face(library, path.c_str(), 0, &faces[index]) != 0) {
        std::fprintf(stderr, "pqn-data: cannot open the font %s (install fonts-dejavu-core)\n", path.c_str());
        std::exit(1);
    }
    return faces[index];
}

std::vector<float> TextAdvances(const std::string& text, Font font, int pixelSize, float letterSpacing) {
    FT_Face face = Face(font);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    std::vector<float> advances;
    for (unsigned char c : text) {
        FT_Load_Char(face, c, FT_LOAD_DEFAULT);
        advances.push_back(face->glyph->advance.x / 64.0f + letterSpacing);
    }
    return advances;
}

Mask TextMask(const std::string& text, Font font, int pixelSize, int width, int height, float cx, float cy,
              float letterSpacing) {
    Mask mask;
    mask.width = width;
    mask.height = height;
    mask.value.assign(static_cast<size_t>(width) * height, 0);
    std::vector<float> advances = TextAdvances(text, font, pixelSize, letterSpacing);
    float total = 0;
    for (float a : advances) total += a;
    total -= letterSpacing;
    FT_Face face = Face(font);
    float ascent = face->size->metrics.ascender / 64.0f;
    float descent = -face->size->metrics.descender / 64.0f;
    float penX = cx - total / 2;
    float baseline = cy + (ascent - descent) / 2 - 0.1f * pixelSize;
    for (size_t i = 0; i < text.size(); ++i) {
        FT_Load_Char(face, static_cast<unsigned char>(text[i]), FT_LOAD_RENDER);
        FT_GlyphSlot g = face->glyph;
        int left = static_cast<int>(std::lround(penX)) + g->bitmap_left;
        int top = static_cast<int>(std::lround(baseline)) - g->bitmap_top;
        for (unsigned row = 0; row < g->bitmap.rows; ++row)
            for (unsigned col = 0; col < g->bitmap.width; ++col) {
                int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
                if (x < 0 || y < 0 || x >= width || y >= height) continue;
                float& v = mask.value[static_cast<size_t>(y) * width + x];
                v = std::max(v, g->bitmap.buffer[row * g->bitmap.pitch + col] / 255.0f);
            }
        penX += advances[i];
    }
    return mask;
}

// ---- noise ---------------------------------------------------------------------

uint32_t Random::Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
}

static float Lattice(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777215.0f;
}

float Noise(float x, float y, int periodX, uint32_t seed) {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = x - x0, fy = y - y0;
    auto wrap = [&](int v) { return periodX > 0 ? ((v % periodX) + periodX) % periodX : v; };
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float a = Lattice(wrap(x0), y0, seed), b = Lattice(wrap(x0 + 1), y0, seed);
    float c = Lattice(wrap(x0), y0 + 1, seed), d = Lattice(wrap(x0 + 1), y0 + 1, seed);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

float Fbm(float x, float y, int periodX, uint32_t seed, int octaves) {
    float sum = 0, amplitude = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * Noise(x, y, periodX, seed + static_cast<uint32_t>(o) * 101u);
        norm += amplitude;
        x *= 2;
        y *= 2;
        periodX *= 2;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

// ---- distances -------------------------------------------------------------------

float SdCircle(float x, float y, float cx, float cy, float r) { return std::hypot(x - cx, y - cy) - r; }

float SdBox(float x, float y, float cx, float cy, float hw, float hh, float radius) {
    float dx = std::fabs(x - cx) - hw + radius, dy = std::fabs(y - cy) - hh + radius;
    float outside = std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f));
    return outside + std::min(std::max(dx, dy), 0.0f) - radius;
}

float SdSegment(float x, float y, float ax, float ay, float bx, float by, float thickness) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float t = Clamp01((px * dx + py * dy) / (dx * dx + dy * dy));
    return std::hypot(px - dx * t, py - dy * t) - thickness / 2;
}

float SdTriangle(float x, float y, float ax, float ay, float bx, float by, float cx, float cy) {
    auto edge = [&](float x0, float y0, float x1, float y1) {
        float ex = x1 - x0, ey = y1 - y0, px = x - x0, py = y - y0;
        float t = Clamp01((px * ex + py * ey) / (ex * ex + ey * ey));
        float d = std::hypot(px - ex * t, py - ey * t);
        float side = ex * py - ey * px;
        return std::make_pair(d, side);
    };
    auto e0 = edge(ax, ay, bx, by), e1 = edge(bx, by, cx, cy), e2 = edge(cx, cy, ax, ay);
    float d = std::min({e0.first, e1.first, e2.first});
    bool inside = (e0.second >= 0 && e1.second >= 0 && e2.second >= 0) || (e0.second <= 0 && e1.second <= 0 && e2.second <= 0);
    return inside ? -d : d;
}

}  // namespace gen
