// The layout arithmetic of the drawing surface: the picture fitted, scaled,
// centred and placed in a frame, window pixels mapped onto the surface, and
// the smoothed frame period.
#include <gtest/gtest.h>

#include "present/layout.h"

namespace {

using platform::present::layout::Size;

constexpr Size kWindow{640, 480};

void ExpectLayout(const SurfaceLayout& l, int w, int h, int x, int y, int pw, int ph) {
    EXPECT_EQ(l.widthPx, w);
    EXPECT_EQ(l.heightPx, h);
    EXPECT_EQ(l.pictureXPx, x);
    EXPECT_EQ(l.pictureYPx, y);
    EXPECT_EQ(l.pictureWidthPx, pw);
    EXPECT_EQ(l.pictureHeightPx, ph);
}

TEST(LayoutTest, ThePictureFitsWithItsAspectKeptOnWideTallAndExactScreens) {
    Size wide = platform::present::layout::FitPicture(kWindow, {1920, 1080});
    EXPECT_EQ(wide.widthPx, 1440);
    EXPECT_EQ(wide.heightPx, 1080);
    Size tall = platform::present::layout::FitPicture(kWindow, {1080, 1920});
    EXPECT_EQ(tall.widthPx, 1080);
    EXPECT_EQ(tall.heightPx, 810);
    Size exact = platform::present::layout::FitPicture(kWindow, {1280, 960});
    EXPECT_EQ(exact.widthPx, 1280);
    EXPECT_EQ(exact.heightPx, 960);
}

TEST(LayoutTest, ScaledSurfacesAreRoundedToEvenSizes) {
    ExpectLayout(platform::present::layout::Scaled(kWindow, 1), 640, 480, 0, 0, 640, 480);
    ExpectLayout(platform::present::layout::Scaled(kWindow, 1.5), 960, 720, 0, 0, 960, 720);
    // 646.4 x 484.8 pixels: even sizes for a video's colour planes.
    ExpectLayout(platform::present::layout::Scaled(kWindow, 1.01), 646, 484, 0, 0, 646, 484);
}

TEST(LayoutTest, AFrameSizeCentresThePictureOrLetsItFillTheWidth) {
    ExpectLayout(platform::present::layout::Chosen(kWindow, {1920, 1080}, false, 1), 1920, 1080, 240, 0, 1440, 1080);
    // Filling the width, the picture reaches past the frame's top and bottom.
    ExpectLayout(platform::present::layout::Chosen(kWindow, {1920, 1080}, true, 1), 1920, 1080, 0, -180, 1920, 1440);
    // No frame size: the scale decides.
    ExpectLayout(platform::present::layout::Chosen(kWindow, {0, 0}, true, 2), 1280, 960, 0, 0, 1280, 960);
}

TEST(LayoutTest, WindowPixelsMapOntoThePictureWhereverItLies) {
    SurfaceLayout framed = platform::present::layout::Chosen(kWindow, {1920, 1080}, false, 1);
    EXPECT_EQ(platform::present::layout::SurfaceX(framed, kWindow, 0), 240);
    EXPECT_EQ(platform::present::layout::SurfaceX(framed, kWindow, 640), 1680);
    EXPECT_EQ(platform::present::layout::SurfaceY(framed, kWindow, 112), 252);  // the band's bottom edge
    EXPECT_EQ(platform::present::layout::SurfaceY(framed, kWindow, 480), 1080);
    SurfaceLayout scaled = platform::present::layout::Scaled(kWindow, 1.5);
    // Neighbouring pixels stay neighbours: 1 px maps to 1 or 2, never 0.
    EXPECT_EQ(platform::present::layout::SurfaceX(scaled, kWindow, 1), 2);
    EXPECT_EQ(platform::present::layout::SurfaceX(scaled, kWindow, 2), 3);
}

TEST(LayoutTest, TheFramePeriodFollowsGapsSlowlyAndIgnoresPauses) {
    EXPECT_EQ(platform::present::layout::SmoothedFramePeriodUs(0, 16667), 16667);
    EXPECT_EQ(platform::present::layout::SmoothedFramePeriodUs(16667, 33333), 16667 + (33333 - 16667) / 16);
    EXPECT_EQ(platform::present::layout::SmoothedFramePeriodUs(16667, 100001), 16667);
    EXPECT_EQ(platform::present::layout::SmoothedFramePeriodUs(16667, 100000), 16667 + (100000 - 16667) / 16);
}

}  // namespace
