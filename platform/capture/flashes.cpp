// Flashes counted from frames (see flashes.h).
#include "capture/flashes.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace platform::flashes {

namespace {

const std::array<float, 256>& LinearTable() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) {
            double c = i / 255.0;
            t[i] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return t;
    }();
    return table;
}

// Fields per axis: a third of the frame, placed at every twelfth.
constexpr int kFieldSteps = 9;

}  // namespace

const ChangeRule kLuminanceRule{0.1f, 0.8f, false};
const ChangeRule kRedRule{20.0f, 2.0f, true};

float LinearOf(uint8_t srgb) { return LinearTable()[srgb]; }

float RelativeLuminance(uint8_t r, uint8_t g, uint8_t b) {
    return 0.2126f * LinearOf(r) + 0.7152f * LinearOf(g) + 0.0722f * LinearOf(b);
}

float RedValue(uint8_t r, uint8_t g, uint8_t b) {
    float lr = LinearOf(r), lg = LinearOf(g), lb = LinearOf(b);
    float sum = lr + lg + lb;
    if (sum <= 0 || lr / sum < 0.8f) return 0;
    return std::max(0.0f, (lr - lg - lb) * 320);
}

// The value is followed up to its peak after a rise and down to its trough
// after a fall; a move back by the step from there is the next change.
int FollowValue(Follower* f, float value, const ChangeRule& rule) {
    if (!f->started) {
        *f = {value, value, 0, true, 0};
        return 0;
    }
    f->low = std::min(f->low, value);
    f->high = std::max(f->high, value);
    auto moved = [&](float by) { return rule.strictly ? by > rule.minStep : by >= rule.minStep; };
    if (f->lastChange != -1 && moved(f->high - value) && value < rule.darkBelow) {
        *f = {value, value, -1, true, f->lastChangeFrame};
        return -1;
    }
    if (f->lastChange != 1 && moved(value - f->low) && f->low < rule.darkBelow) {
        *f = {value, value, 1, true, f->lastChangeFrame};
        return 1;
    }
    return 0;
}

FieldCounter::FieldCounter(int widthPx, int heightPx, int framesPerSecond)
    : width_(widthPx), height_(heightPx), fps_(std::max(1, framesPerSecond)),
      summedUp_(static_cast<size_t>(widthPx + 1) * (heightPx + 1), 0), summedDown_(summedUp_.size(), 0) {
    int fieldW = std::max(1, widthPx / 3), fieldH = std::max(1, heightPx / 3);
    for (int j = 0; j < kFieldSteps; ++j)
        for (int i = 0; i < kFieldSteps; ++i) {
            int x0 = (widthPx - fieldW) * i / (kFieldSteps - 1), y0 = (heightPx - fieldH) * j / (kFieldSteps - 1);
            fields_.push_back({x0, y0, x0 + fieldW, y0 + fieldH, 0, {}});
        }
}

namespace {

// Sums a row-by-row table of 0/1 into a summed-area table of (w+1) x (h+1).
void SumArea(const std::vector<int8_t>& changes, int8_t way, int width, int height, std::vector<uint32_t>* summed) {
    size_t stride = static_cast<size_t>(width) + 1;
    for (int y = 0; y < height; ++y) {
        uint32_t rowSum = 0;
        const int8_t* row = changes.data() + static_cast<size_t>(y) * width;
        uint32_t* above = summed->data() + static_cast<size_t>(y) * stride;
        uint32_t* here = above + stride;
        for (int x = 0; x < width; ++x) {
            rowSum += row[x] == way;
            here[x + 1] = above[x + 1] + rowSum;
        }
    }
}

}  // namespace

int FieldCounter::AddFrame(const std::vector<int8_t>& changes) {
    SumArea(changes, 1, width_, height_, &summedUp_);
    SumArea(changes, -1, width_, height_, &summedDown_);
    size_t stride = static_cast<size_t>(width_) + 1;
    int most = 0;
    for (Field& field : fields_) {
        auto count = [&](const std::vector<uint32_t>& t) {
            auto at = [&](int x, int y) { return static_cast<uint64_t>(t[static_cast<size_t>(y) * stride + x]); };
            return at(field.x1, field.y1) + at(field.x0, field.y0) - at(field.x0, field.y1) - at(field.x1, field.y0);
        };
        uint64_t area = static_cast<uint64_t>(field.x1 - field.x0) * (field.y1 - field.y0);
        uint64_t up = count(summedUp_), down = count(summedDown_);
        bool manyUp = up * 4 >= area, manyDown = down * 4 >= area;
        int way = manyUp == manyDown ? 0 : manyUp ? 1 : -1;
        if (way != 0 && way != field.lastChange) {
            field.lastChange = way;
            field.changeFrames.push_back(frame_);
        }
        auto& frames = field.changeFrames;
        while (!frames.empty() && frames.front() + static_cast<uint64_t>(fps_) <= frame_) frames.pop_front();
        most = std::max(most, static_cast<int>(frames.size()));
    }
    ++frame_;
    return most;
}

FlashCounter::FlashCounter(int widthPx, int heightPx, int framesPerSecond)
    : width_(widthPx), height_(heightPx), recentFrames_(std::max(1, framesPerSecond / 10)),
      luminance_(static_cast<size_t>(widthPx) * heightPx), red_(luminance_.size()),
      luminanceChanges_(luminance_.size()), redChanges_(luminance_.size()),
      luminanceFields_(widthPx, heightPx, framesPerSecond), redFields_(widthPx, heightPx, framesPerSecond) {}

namespace {

// How a pixel's value changed lately: the way of its last change, if that
// came within the last `recentFrames` frames; 0 otherwise.
int8_t RecentChange(Follower* f, float value, const ChangeRule& rule, uint64_t frame, int recentFrames) {
    if (FollowValue(f, value, rule) != 0) f->lastChangeFrame = frame;
    bool recent = f->lastChange != 0 && frame - f->lastChangeFrame < static_cast<uint64_t>(recentFrames);
    return recent ? f->lastChange : 0;
}

}  // namespace

FrameFlashes FlashCounter::AddFrame(const uint8_t* rgb) {
    for (size_t i = 0; i < luminance_.size(); ++i) {
        const uint8_t* p = rgb + 3 * i;
        luminanceChanges_[i] = RecentChange(&luminance_[i], RelativeLuminance(p[0], p[1], p[2]), kLuminanceRule, frame_, recentFrames_);
        redChanges_[i] = RecentChange(&red_[i], RedValue(p[0], p[1], p[2]), kRedRule, frame_, recentFrames_);
    }
    ++frame_;
    return {luminanceFields_.AddFrame(luminanceChanges_) / 2.0, redFields_.AddFrame(redChanges_) / 2.0};
}

}  // namespace platform::flashes
