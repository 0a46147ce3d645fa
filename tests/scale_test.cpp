// Drawing at other sizes: the same picture with more pixels behind it. A
// frame at scale 2, boxed down to 640x480, is the scale-1 frame tile for tile;
// the band and the readout land where they belong at every scale and frame
// size; anti-aliasing touches edges only; the picture is sharper when drawn
// natively at 1080p than when a 640x480 frame is scaled up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "platform/png_file.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

struct Frame {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * w + x) * 3]; }
    bool Lit(int x, int y) const { return At(x, y)[0] + At(x, y)[1] + At(x, y)[2] > 0; }
};

// Made by the test set-up (tests/CMakeLists.txt), one folder per run at each
// size: scenes 5 to 9 at 5 frames a second, shot at the cube letters of
// scene 5 (14:40), a greeting card of scene 8 (21:40) and the cube wall of
// scene 9 (25:0).
const char* const kShots[] = {"shot-014-40.png", "shot-021-40.png", "shot-025-00.png"};

class ScaleTest : public ::testing::Test {
protected:
    static Frame Load(const std::string& run, const char* shot) {
        Frame f;
        EXPECT_TRUE(platform::ReadPngRgb(std::string(PQN_SCALE_SHOTS) + "/" + run + "/" + shot, &f.w, &f.h, &f.rgb))
            << run << "/" << shot;
        return f;
    }
};

// The mean over `factor` x `factor` boxes: a scaled frame brought back to 640x480.
Frame BoxDown(const Frame& big, int factor) {
    Frame small;
    small.w = big.w / factor;
    small.h = big.h / factor;
    small.rgb.resize(static_cast<size_t>(small.w) * small.h * 3);
    for (int y = 0; y < small.h; ++y)
        for (int x = 0; x < small.w; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx) sum += big.At(x * factor + dx, y * factor + dy)[c];
                small.rgb[(static_cast<size_t>(y) * small.w + x) * 3 + c] = static_cast<uint8_t>(sum / (factor * factor));
            }
    return small;
}

double WorstBandTile(const Frame& a, const Frame& b) {
    return test::WorstTileDifference(a.rgb, b.rgb, a.w, 0, 112, 640, 368);
}

// First and last rows (from the top) with a lit pixel in columns [x0, x1), below `fromRow`.
std::pair<int, int> LitRows(const Frame& f, int x0, int x1, int fromRow) {
    int first = -1, last = -1;
    for (int y = fromRow; y < f.h; ++y)
        for (int x = x0; x < x1; ++x)
            if (f.Lit(x, y)) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return {first, last};
}

// The readout's white box: its height and left edge, from the top-left corner.
struct Box {
    int left = -1, top = -1, height = 0, width = 0;
};
Box ReadoutBox(const Frame& f, int searchRows) {
    Box box;
    for (int y = 0; y < searchRows; ++y)
        for (int x = 0; x < f.w; ++x) {
            const uint8_t* p = f.At(x, y);
            if (p[0] != 255 || p[1] != 255 || p[2] != 255) continue;
            if (box.top < 0) box.top = y;
            box.height = y - box.top + 1;
            if (box.left < 0 || x < box.left) box.left = x;
            box.width = std::max(box.width, x - box.left + 1);
        }
    return box;
}

// Gradient magnitudes (central differences of the grey level) over a region.
std::vector<double> Gradients(const Frame& f, int top, int bottom, int x0, int x1) {
    auto grey = [&](int x, int y) {
        const uint8_t* p = f.At(x, y);
        return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    };
    std::vector<double> gradients;
    for (int y = top + 1; y < bottom - 1; ++y)
        for (int x = x0 + 1; x < x1 - 1; ++x)
            gradients.push_back(std::hypot(grey(x + 1, y) - grey(x - 1, y), grey(x, y + 1) - grey(x, y - 1)) / 2);
    return gradients;
}

double Mean(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return values.empty() ? 0 : sum / values.size();
}

// How steep the picture's edges are: the mean of the steepest 1 % of gradients.
double EdgeSteepness(std::vector<double> gradients) {
    size_t top = std::max<size_t>(1, gradients.size() / 100);
    std::nth_element(gradients.begin(), gradients.begin() + top, gradients.end(), std::greater<double>());
    return Mean(std::vector<double>(gradients.begin(), gradients.begin() + top));
}

// A 640x480 frame scaled up to `w` x `h` with bilinear filtering, as the
// window or a video player would show it.
Frame ScaleUp(const Frame& f, int w, int h) {
    Frame big;
    big.w = w;
    big.h = h;
    big.rgb.resize(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double sx = std::clamp((x + 0.5) * f.w / w - 0.5, 0.0, f.w - 1.0);
            double sy = std::clamp((y + 0.5) * f.h / h - 0.5, 0.0, f.h - 1.0);
            int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
            int x1 = std::min(x0 + 1, f.w - 1), y1 = std::min(y0 + 1, f.h - 1);
            double fx = sx - x0, fy = sy - y0;
            for (int c = 0; c < 3; ++c) {
                double top = f.At(x0, y0)[c] * (1 - fx) + f.At(x1, y0)[c] * fx;
                double bottom = f.At(x0, y1)[c] * (1 - fx) + f.At(x1, y1)[c] * fx;
                big.rgb[(static_cast<size_t>(y) * w + x) * 3 + c] = static_cast<uint8_t>(top * (1 - fy) + bottom * fy + 0.5);
            }
        }
    return big;
}

// The mean colour of a 16x16 tile of the band may move by a few levels: the
// scale-2 frame samples its textures at other points. Measured: at most 8.3
// over these frames. The picture drawn 8 window pixels off at scale 2 makes
// tiles differ by 85 and more; a lost sprite of 64x64 changes its 16 tiles by
// as much as it stands out from what lies under it.
constexpr double kTileBound = 12.0;

TEST_F(ScaleTest, AFrameAtScaleTwoBoxedDownIsTheScaleOneFrameInEveryTileOfTheBand) {
    for (const char* shot : kShots) {
        Frame x1 = Load("x1", shot), x2 = Load("x2", shot);
        ASSERT_EQ(x2.w, 1280);
        ASSERT_EQ(x2.h, 960);
        double worst = WorstBandTile(BoxDown(x2, 2), x1);
        std::printf("%s: worst band tile at scale 2, boxed down: %.2f\n", shot, worst);
        EXPECT_LT(worst, kTileBound) << shot;
    }
}

// On OpenGL ES 3.0 each size draws the fixed function's frame: the same
// size, the same tiles (the readout's box and the letterbox bars included).
TEST_F(ScaleTest, OnOpenGlEs3EverySizeAndAntiAliasingDrawTheFixedFunctionsFrame) {
    for (const char* run : {"x2", "msaa", "1080p"})
        for (const char* shot : kShots) {
            Frame fixed = Load(run, shot), es3 = Load(std::string("es3-") + run, shot);
            ASSERT_EQ(es3.w, fixed.w) << run;
            ASSERT_EQ(es3.h, fixed.h) << run;
            EXPECT_LT(test::WorstTileDifference(es3.rgb, fixed.rgb, fixed.w, 0, 0, fixed.w, fixed.h), kTileBound)
                << run << "/" << shot;
        }
}

TEST_F(ScaleTest, TheBandCoversItsRowsTimesTheScale) {
    for (auto [run, scale] : {std::pair<const char*, double>{"x1", 1}, {"x2", 2}, {"x1.5", 1.5}}) {
        Frame f = Load(run, "shot-025-00.png");
        ASSERT_EQ(f.w, static_cast<int>(640 * scale));
        // Below the readout: the readout's box is lit, the band is all that may be lit after it.
        auto [first, last] = LitRows(f, 0, f.w, static_cast<int>(40 * scale));
        EXPECT_EQ(first, static_cast<int>(112 * scale)) << run;
        EXPECT_EQ(last, static_cast<int>(368 * scale) - 1) << run;
    }
}

TEST_F(ScaleTest, TheReadoutIsDrawnAtTheScaleInTheSamePlace) {
    Box x1 = ReadoutBox(Load("x1", "shot-025-00.png"), 40);
    Box x2 = ReadoutBox(Load("x2", "shot-025-00.png"), 80);
    ASSERT_GT(x1.height, 10);
    EXPECT_EQ(x1.left, 0);
    EXPECT_EQ(x1.top, 0);
    EXPECT_EQ(x2.left, 0);
    EXPECT_EQ(x2.top, 0);
    EXPECT_NEAR(x2.height, 2 * x1.height, 1);
    EXPECT_NEAR(x2.width, 2 * x1.width, 0.1 * x1.width);
}

TEST_F(ScaleTest, AntiAliasingChangesOnlyEdges) {
    for (const char* shot : kShots) {
        Frame plain = Load("x1", shot), smooth = Load("msaa", shot);
        ASSERT_EQ(smooth.w, 640);
        int changed = 0, total = 0;
        for (int y = 112; y < 368; ++y)
            for (int x = 0; x < 640; ++x, ++total)
                if (!std::equal(plain.At(x, y), plain.At(x, y) + 3, smooth.At(x, y))) ++changed;
        double share = static_cast<double>(changed) / total;
        std::printf("%s: %.1f %% of the band changed by 4x anti-aliasing\n", shot, 100 * share);
        EXPECT_GT(changed, 0) << shot << ": no edge was smoothed";
        EXPECT_LT(share, 0.25) << shot;
        EXPECT_LT(WorstBandTile(plain, smooth), kTileBound) << shot;
    }
}

// A 1920x1080 frame whose lit rows in columns [x0, x1), from `fromRow` down,
// are `first` to `last`.
void ExpectFullHdWithLitRows(const Frame& f, int x0, int x1, int fromRow, int first, int last) {
    ASSERT_EQ(f.w, 1920);
    ASSERT_EQ(f.h, 1080);
    EXPECT_EQ(LitRows(f, x0, x1, fromRow), std::make_pair(first, last));
}

TEST_F(ScaleTest, A1080pFrameHasThePictureCentredAtTheScaleThatFillsIt) {
    Frame f = Load("1080p", "shot-025-00.png");
    // A 1440x1080 picture from column 240: its band is rows 252 to 827, to its left edge.
    ExpectFullHdWithLitRows(f, 240, 1680, 90, 252, 827);
    ExpectFullHdWithLitRows(f, 240, 241, 90, 252, 827);
    for (int y = 0; y < 1080; ++y)
        for (int x : {0, 239, 1680, 1919}) ASSERT_FALSE(f.Lit(x, y)) << "bar lit at " << x << "," << y;
    Box readout = ReadoutBox(f, 100);
    EXPECT_EQ(readout.left, 240);
    EXPECT_EQ(readout.top, 0);
}

TEST_F(ScaleTest, FitToWidthFillsA169FrameWithTheBand) {
    Frame f = Load("1080p-width", "shot-014-40.png");
    // Drawn at scale 3, 1920x1440, centred: rows 180 to 1259 of the picture, band at 156 to 923.
    ExpectFullHdWithLitRows(f, 0, 1920, 0, 156, 923);
    EXPECT_TRUE(f.Lit(0, 500));
    EXPECT_TRUE(f.Lit(1919, 500));
}

// Textures are magnified the same way either way; what drawing natively
// sharpens is every edge of the geometry and the readout. So the figure is
// how steep the steepest edges are, over the band (the mean gradient is
// printed too).
TEST_F(ScaleTest, DrawnNativelyAt1080pThePictureIsSharperThanA640x480FrameScaledUp) {
    for (const char* shot : kShots) {
        Frame native = Load("1080p", shot);
        Frame scaledUp = ScaleUp(Load("x1", shot), 1440, 1080);
        std::vector<double> nativeGradients = Gradients(native, 252, 828, 240, 1680);
        std::vector<double> scaledGradients = Gradients(scaledUp, 252, 828, 0, 1440);
        double nativeEdges = EdgeSteepness(nativeGradients), scaledEdges = EdgeSteepness(scaledGradients);
        std::printf("%s at 1080p, native / 640x480 scaled up: steepest 1 %% of gradients %.1f / %.1f, "
                    "mean gradient %.2f / %.2f\n",
                    shot, nativeEdges, scaledEdges, Mean(nativeGradients), Mean(scaledGradients));
        EXPECT_GT(nativeEdges, 1.25 * scaledEdges) << shot;
    }
}

TEST(ScaleOptionsTest, BadSizesAndScalesAreRefusedWithTheUsage) {
    std::string output;
    for (const char* arguments : {"--headless --scale 0.5", "--headless --scale 5", "--headless --scale two",
                                  "--headless --msaa 3", "--headless --size 1921x1080", "--headless --size 10x10",
                                  "--headless --size 4k", "--window --size 1080p", "--headless --size 1080p --scale 2",
                                  "--headless --fit width", "--headless --size 720p --fit height"}) {
        EXPECT_EQ(test::RunPqn(arguments, &output), 2) << arguments << ": " << output;
        EXPECT_NE(output.find("usage: pqn"), std::string::npos) << arguments;
    }
}

}  // namespace
