// The flash count of frames and the viewer's volume as a gain: the light
// and red values of pixels, flashes by their rate, area and way, fades and
// moving patterns; the gain's ends and its ramp.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "capture/flashes.h"
#include "sound/volume.h"

namespace {

using platform::flashes::FlashCounter;
using platform::flashes::FrameFlashes;

constexpr int kWidth = 96, kHeight = 72, kFps = 60;

struct Rgb {
    uint8_t r, g, b;
};
constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0};

// Frames made by `pixelAt(frame, x, y)`; the most flashes of any second.
FrameFlashes MostFlashes(int frames, const std::function<Rgb(int, int, int)>& pixelAt) {
    FlashCounter counter(kWidth, kHeight, kFps);
    FrameFlashes most{0, 0};
    std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    for (int f = 0; f < frames; ++f) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                Rgb c = pixelAt(f, x, y);
                uint8_t* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
                p[0] = c.r, p[1] = c.g, p[2] = c.b;
            }
        FrameFlashes now = counter.AddFrame(rgb.data());
        most.general = std::max(most.general, now.general);
        most.red = std::max(most.red, now.red);
    }
    return most;
}

// The whole frame `on` for `onFrames` of every `periodFrames` frames, else black.
std::function<Rgb(int, int, int)> Blinking(Rgb on, int periodFrames, int onFrames) {
    return [=](int f, int, int) { return f % periodFrames < onFrames ? on : kBlack; };
}

TEST(FlashesTest, LightAndRedAreReadFromLinearValues) {
    EXPECT_FLOAT_EQ(platform::flashes::RelativeLuminance(255, 255, 255), 1.0f);
    EXPECT_FLOAT_EQ(platform::flashes::RelativeLuminance(0, 0, 0), 0.0f);
    EXPECT_NEAR(platform::flashes::RelativeLuminance(128, 128, 128), 0.2158f, 0.0005f);
    EXPECT_NEAR(platform::flashes::RelativeLuminance(0, 255, 0), 0.7152f, 0.0001f);
    EXPECT_FLOAT_EQ(platform::flashes::RedValue(255, 0, 0), 320.0f);
    // Orange is no saturated red: R is under 0.8 of R + G + B (of linear
    // values; a dark orange is one).
    EXPECT_FLOAT_EQ(platform::flashes::RedValue(255, 180, 0), 0.0f);
    EXPECT_GT(platform::flashes::RedValue(255, 128, 0), 200.0f);
    EXPECT_FLOAT_EQ(platform::flashes::RedValue(0, 0, 255), 0.0f);
}

TEST(FlashesTest, FlashesAreCountedByTheirRateAndTheThresholdIsPassedAboveThree) {
    // A flash is a pair of changes: 6 blinks a second are 6 flashes.
    EXPECT_NEAR(MostFlashes(2 * kFps, Blinking(kWhite, 10, 5)).general, 6.0, 0.5);
    // 3 a second is allowed, 4 is over.
    FrameFlashes three = MostFlashes(2 * kFps, Blinking(kWhite, 20, 10));
    EXPECT_LE(three.general, platform::flashes::kFlashesAllowedPerSecond);
    EXPECT_GE(three.general, 2.5);
    EXPECT_GT(MostFlashes(2 * kFps, Blinking(kWhite, 15, 7)).general, platform::flashes::kFlashesAllowedPerSecond);
    // One frame of light a second, the rest dark: one flash.
    EXPECT_NEAR(MostFlashes(3 * kFps, Blinking(kWhite, kFps, 1)).general, 1.0, 0.5);
    // White on black is no red flash; red on black is both.
    EXPECT_EQ(MostFlashes(kFps, Blinking(kWhite, 10, 5)).red, 0.0);
    FrameFlashes red = MostFlashes(2 * kFps, Blinking(kRed, 10, 5));
    EXPECT_GT(red.red, platform::flashes::kFlashesAllowedPerSecond);
    EXPECT_GT(red.general, 0.0);
}

TEST(FlashesTest, SmallStepsBrightEndsAndSmallAreasAreNoFlashes) {
    // Grey 60 to 80: a step of light under 0.1.
    EXPECT_EQ(MostFlashes(kFps, Blinking({80, 80, 80}, 10, 5)).general, 0.0);
    // Between light 0.86 and 1: the darker end is not under 0.8.
    auto brightPair = [](int f, int, int) { return f % 10 < 5 ? kWhite : Rgb{238, 238, 238}; };
    EXPECT_EQ(MostFlashes(kFps, brightPair).general, 0.0);
    // A blinking square of a fifth of a field's side, wherever it is.
    auto small = [](int f, int x, int y) { return x < 6 && y < 5 && f % 10 < 5 ? kWhite : kBlack; };
    EXPECT_EQ(MostFlashes(kFps, small).general, 0.0);
    // A blinking field-sized square in the middle is counted.
    auto field = [](int f, int x, int y) {
        return x >= 32 && x < 64 && y >= 24 && y < 48 && f % 10 < 5 ? kWhite : kBlack;
    };
    EXPECT_GT(MostFlashes(2 * kFps, field).general, platform::flashes::kFlashesAllowedPerSecond);
}

TEST(FlashesTest, FadesAreOneChangeAndMovingPatternsAreNone) {
    // Up over 4 frames, held, down over 4 frames, 5 times a second: the
    // pixels' changes land in different frames yet make one change each way.
    auto fading = [](int f, int x, int) {
        int phase = f % 12;
        int level = phase < 4 ? phase * 64 + x : phase < 6 ? 255 : phase < 10 ? (9 - phase) * 64 : 0;
        uint8_t v = static_cast<uint8_t>(std::min(level, 255));
        return Rgb{v, v, v};
    };
    EXPECT_NEAR(MostFlashes(2 * kFps, fading).general, 5.0, 0.5);
    // Black and white bars sliding by a bar each frame: every pixel changes
    // every frame, half of them each way; the light of each field stays.
    auto sliding = [](int f, int x, int) { return ((x / 4 + f) % 2) ? kWhite : kBlack; };
    EXPECT_EQ(MostFlashes(2 * kFps, sliding).general, 0.0);
    // A still picture.
    EXPECT_EQ(MostFlashes(kFps, [](int, int x, int) { return x % 2 ? kWhite : kBlack; }).general, 0.0);
}

TEST(VolumeTest, TheGainFollowsTheVolumeAndFullVolumeChangesNothing) {
    using platform::sound::GainOf;
    EXPECT_EQ(GainOf(100, false), 1.0f);
    EXPECT_EQ(GainOf(0, false), 0.0f);
    EXPECT_EQ(GainOf(100, true), 0.0f);
    EXPECT_FLOAT_EQ(GainOf(50, false), 0.25f);
    EXPECT_EQ(GainOf(150, false), 1.0f);
    for (int v = 1; v <= 100; ++v) EXPECT_GT(GainOf(v, false), GainOf(v - 1, false));
    std::vector<int16_t> sound = {32767, -32768, 1000, -1000, 1, -1};
    std::vector<int16_t> same = sound;
    platform::sound::ApplyGain(same.data(), same.size(), 1, 1);
    EXPECT_EQ(same, sound);
    EXPECT_EQ(platform::sound::StepVolume(100, 1), 100);
    EXPECT_EQ(platform::sound::StepVolume(3, -1), 0);
    EXPECT_EQ(platform::sound::StepVolume(50, -1), 45);
}

TEST(VolumeTest, AChangeOfVolumeIsRampedWithoutAJump) {
    std::vector<int16_t> sound(200, 10000);
    platform::sound::ApplyGain(sound.data(), sound.size(), 1, 0);
    EXPECT_EQ(sound.back(), 0);
    for (size_t i = 1; i < sound.size(); ++i) {
        EXPECT_LE(sound[i], sound[i - 1]);
        EXPECT_LE(sound[i - 1] - sound[i], 60) << "at sample " << i;
    }
    EXPECT_GT(sound.front(), 9900);
}

}  // namespace
