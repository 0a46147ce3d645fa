// A small float RGBA canvas for the data generator: gradients, tileable noise,
// anti-aliased shapes from signed distances, glow, and text from a real font.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gen {

struct Color {
    float r, g, b, a;
};

inline Color Rgb(uint32_t hex, float alpha = 1) {
    return {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f, alpha};
}
inline Color Mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
inline Color Scale(Color c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }
inline float Clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
inline float Smooth(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// The show's palette: night violet, magenta, cyan, amber.
namespace palette {
const uint32_t kInk = 0x0b0820, kViolet = 0x3a1c71, kPurple = 0x6a2c91, kMagenta = 0xd6249f,
               kPink = 0xff3c8e, kCyan = 0x21d4fd, kTeal = 0x12a4a6, kAmber = 0xffb347,
               kCream = 0xfff3d6, kSteel = 0x8a93b8, kDeepBlue = 0x10205a;
}

class Canvas {
public:
    Canvas(int width, int height, Color fill = {0, 0, 0, 0});
    int width() const { return width_; }
    int height() const { return height_; }
    Color& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    const Color& at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

    // Sets every pixel from a function of its centre in the given coordinate
    // space (u from 0 to spaceWidth across, v from 0 to spaceHeight down).
    void Shade(const std::function<Color(float u, float v)>& shader, float spaceWidth = 0, float spaceHeight = 0);
    // Paints `color(u, v)` over the picture where distance(u, v) < 0, with a
    // soft edge of about one pixel; coordinates as for Shade.
    void Fill(const std::function<float(float u, float v)>& distance, const std::function<Color(float u, float v)>& color,
              float spaceWidth = 0, float spaceHeight = 0);
    // Adds light (additive, alpha kept).
    void AddGlow(const Canvas& light, float strength);
    // Source over destination, straight alpha.
    void Over(const Canvas& top, int atX = 0, int atY = 0);

    // 8-bit rows: 3 = RGB, 4 = RGBA, 1 = grey (the luminance, or alpha when `alphaAsGrey`).
    std::vector<uint8_t> Bytes(int channels, bool alphaAsGrey = false) const;

private:
    int width_, height_;
    std::vector<Color> pixels_;
};

// Coverage mask helpers
struct Mask {
    int width = 0, height = 0;
    std::vector<float> value;
    float at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return value[static_cast<size_t>(y) * width + x];
    }
};
Mask BoxBlur(const Mask& mask, int radius, int passes = 3);
// Paints colour through a mask (its coverage times the colour's alpha), over.
void PaintMask(Canvas& canvas, const Mask& mask, Color color, int atX = 0, int atY = 0);
void AddMask(Canvas& canvas, const Mask& mask, Color color, int atX = 0, int atY = 0);

// Text from a DejaVu font of the fonts-dejavu-core package.
enum class Font { Sans, SansBold, Mono, MonoBold, SerifBold };
// The text's coverage on a canvas-sized mask, centred on (cx, cy), `pixelSize` high.
Mask TextMask(const std::string& text, Font font, int pixelSize, int width, int height, float cx, float cy,
              float letterSpacing = 0);
// Advance widths of each character, for splitting a title into parts.
std::vector<float> TextAdvances(const std::string& text, Font font, int pixelSize, float letterSpacing = 0);

// Deterministic noise
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next();
    float Uniform() { return (Next() >> 8) * (1.0f / 16777216.0f); }
    float Range(float low, float high) { return low + (high - low) * Uniform(); }

private:
    uint64_t state_;
};

// Value noise with smooth interpolation; wraps every `periodX` units across.
float Noise(float x, float y, int periodX, uint32_t seed);
float Fbm(float x, float y, int periodX, uint32_t seed, int octaves = 5);

// Signed distances
float SdCircle(float x, float y, float cx, float cy, float r);
float SdBox(float x, float y, float cx, float cy, float hw, float hh, float radius = 0);
float SdSegment(float x, float y, float ax, float ay, float bx, float by, float thickness);
float SdTriangle(float x, float y, float ax, float ay, float bx, float by, float cx, float cy);

}  // namespace gen
