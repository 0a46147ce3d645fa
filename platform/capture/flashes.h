// Flashes counted from the frames themselves, after the common rule for
// screens: no more than three general flashes and three red flashes in any
// one second. A flash is a pair of opposing changes of light; a change counts
// where it covers a quarter or more of some field a viewer takes in at once.
//
// Per pixel, two values are followed from frame to frame:
// - the relative luminance (sRGB made linear, 0..1); it changes when it has
//   moved 0.1 or more from its extreme since the last change, the other way,
//   with the darker end under 0.8;
// - the red value, (R - G - B) x 320 of the linear values where the pixel is a
//   saturated red (R / (R + G + B) at least 0.8), 0 elsewhere; it changes
//   when it has moved more than 20 the same way.
// A field is a third of the frame's width and height (the 10-degree field of
// view, for a picture that fills a desktop screen seen from 60 cm), placed at
// every twelfth of the frame. Changes within a tenth of a second are taken
// as at once (a fade over a few frames is one change, at any frame rate). A
// field changes in a frame when the pixels whose last change went one way
// and came within that tenth are a quarter of it or more, those that went
// the other way are not, and that way is not the way of its last change
// (pixels of a moving pattern go both ways at once, and make no change of
// the field); its flashes in a second are half
// its changes in the last second of frames.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

namespace platform::flashes {

// Linear light of an 8-bit sRGB value, 0..1.
float LinearOf(uint8_t srgb);
float RelativeLuminance(uint8_t r, uint8_t g, uint8_t b);
// (R - G - B) x 320 of the linear values for a saturated red, else 0.
float RedValue(uint8_t r, uint8_t g, uint8_t b);

// One value of one pixel followed from frame to frame: whether it changed
// this frame, and which way (+1 up, -1 down, 0 not).
struct Follower {
    float low = 0, high = 0;
    int8_t lastChange = 0;
    bool started = false;
    uint64_t lastChangeFrame = 0;
};
// `minStep` is the move that makes a change; `darkBelow` the level under
// which the darker end must lie (above 1 for no such limit); `strictly`:
// the move must exceed minStep rather than reach it.
struct ChangeRule {
    float minStep;
    float darkBelow;
    bool strictly;
};
int FollowValue(Follower* f, float value, const ChangeRule& rule);
extern const ChangeRule kLuminanceRule;
extern const ChangeRule kRedRule;

// Changes of each field over the last second, from per-pixel change masks.
class FieldCounter {
public:
    FieldCounter(int widthPx, int heightPx, int framesPerSecond);
    // `changes`: per pixel, row by row, how it changed this frame (+1 up,
    // -1 down, 0 not). Returns the most changes any field had in the last
    // second, this frame included.
    int AddFrame(const std::vector<int8_t>& changes);
    int FieldCount() const { return static_cast<int>(fields_.size()); }

private:
    struct Field {
        int x0, y0, x1, y1;
        int lastChange;                     // +1, -1, or 0 before its first
        std::deque<uint64_t> changeFrames;  // frames of its changes in the last second
    };
    int width_, height_, fps_;
    uint64_t frame_ = 0;
    std::vector<Field> fields_;
    std::vector<uint32_t> summedUp_, summedDown_;  // summed-area tables of the changes, (w+1) x (h+1)
};

// Both kinds of flash of a stream of frames: per frame, the most flashes of
// each kind in a second that ends with it (changes halved).
struct FrameFlashes {
    double general;
    double red;
};
class FlashCounter {
public:
    FlashCounter(int widthPx, int heightPx, int framesPerSecond);
    // An RGB frame (3 bytes a pixel, top row first, tightly packed).
    FrameFlashes AddFrame(const uint8_t* rgb);

private:
    int width_, height_;
    uint64_t frame_ = 0;
    int recentFrames_;  // a tenth of a second of frames, at least one
    std::vector<Follower> luminance_, red_;
    std::vector<int8_t> luminanceChanges_, redChanges_;
    FieldCounter luminanceFields_, redFields_;
};

// More than three flashes in one second is over the threshold.
constexpr double kFlashesAllowedPerSecond = 3;

}  // namespace platform::flashes
