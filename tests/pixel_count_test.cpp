// The pixel counts of a counted frame, on real GL headless: with the
// driver's fixed function (PQN_GL=fixed; ctest runs them so as
// fixed_function.PixelCountTest.*) its own counts, and on the shader path
// the covered areas worked out on the CPU. Each draw is the pixels it covers,
// exactly, filed by the state it ran under; the shader's runs count a little
// more on the fixed function; the frames between are not counted. The
// coverage arithmetic itself: triangles cut by the view volume, the
// viewport and the scissor, and culled.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "counting_test.h"
#include "gl/coverage.h"
#include "gl/pixel_counter.h"
#include "platform/runtime.h"

namespace {

namespace pixels = platform::gl::pixels;
namespace coverage = platform::gl::coverage;

bool OnFixedFunction() {
    const char* gl = std::getenv("PQN_GL");
    return gl && std::string(gl) == "fixed";
}

class PixelCountTest : public test::CountingTest {
protected:
    static void SetUpTestSuite() {
        test::ConfigureHeadlessGl(OnFixedFunction() ? platform::GlWay::kFixedFunction : platform::GlWay::kEs3, true);
    }
    // An axis-aligned rectangle: exactly its width times its height of pixels.
    static void Rectangle(int x, int y, int widthPx, int heightPx) {
        glBegin(GL_QUADS);
        glVertex2i(x, y);
        glVertex2i(x + widthPx, y);
        glVertex2i(x + widthPx, y + heightPx);
        glVertex2i(x, y + heightPx);
        glEnd();
    }
    // A complete 1x1 texture, bound.
    static void BindTexture() {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        const unsigned char white[3] = {255, 255, 255};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, white);
    }
};

TEST_F(PixelCountTest, ACountedFrameFilesEachDrawsPixelsByItsState) {
    pixels::CountEveryNthFrame(2);
    FrameDrawn(0);  // frame 1 is not counted
    Rectangle(0, 0, 300, 300);
    FrameDrawn(1);  // frame 2 is
    pixels::FramePixels frame;
    EXPECT_FALSE(pixels::TakeCountedFrame(1, &frame));

    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 20, 10);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    Rectangle(10, 10, 100, 50);
    glEnable(GL_BLEND);
    BindTexture();
    glEnable(GL_TEXTURE_2D);
    Rectangle(200, 100, 50, 40);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    Rectangle(400, 300, 30, 30);
    glDisable(GL_DEPTH_TEST);
    Rectangle(630, 470, 40, 40);  // a quarter of it in the window
    FrameDrawn(2);

    ASSERT_TRUE(pixels::TakeCountedFrame(2, &frame)) << "no counts: the context keeps no pipeline statistics";
    EXPECT_EQ(frame.written, 5000u + 2000u + 900u + 100u);
    // The shader runs on whole blocks: the edges' lanes count too, not more
    // than a block's row or column along each edge.
    EXPECT_GE(frame.shaded, frame.written);
    EXPECT_LE(frame.shaded, frame.written * 13 / 10);
    EXPECT_EQ(frame.blended, 2000u);
    EXPECT_EQ(frame.textured, 2000u);
    EXPECT_EQ(frame.depthTested, 900u);
    EXPECT_EQ(frame.cleared, 200u);
    EXPECT_FALSE(pixels::TakeCountedFrame(2, &frame)) << "a frame's counts are taken once";

    // The next counted frame, on the queries of this one.
    FrameDrawn(3);
    Rectangle(0, 0, 10, 10);
    glEnable(GL_BLEND);
    Rectangle(100, 100, 20, 10);
    glDisable(GL_BLEND);
    FrameDrawn(4);
    ASSERT_TRUE(pixels::TakeCountedFrame(4, &frame));
    EXPECT_EQ(frame.written, 300u);
    EXPECT_EQ(frame.blended, 200u);
}

// The corners of a window rectangle in the clip space of a 640x480 viewport.
coverage::ClipPoint At(double x, double y, double z = 0, double w = 1) {
    return {static_cast<float>((x / 320 - 1) * w), static_cast<float>((y / 240 - 1) * w), static_cast<float>(z * w),
            static_cast<float>(w)};
}

TEST(CoverageTest, TrianglesAreCutToTheViewVolumeAndTheVisibleRectangle) {
    coverage::Target whole{{0, 0, 640, 480}, {0, 0, 640, 480}};
    auto pixelsOf = [](coverage::ClipPoint a, coverage::ClipPoint b, coverage::ClipPoint c, const coverage::Target& t,
                       coverage::Cull cull = coverage::Cull::kNone) { return coverage::TrianglePixels(a, b, c, t, cull); };
    EXPECT_NEAR(pixelsOf(At(0, 0), At(100, 0), At(0, 100), whole), 5000, 1e-2);
    EXPECT_NEAR(pixelsOf(At(0, 0, 0, 2), At(100, 0, 0, 2), At(0, 100, 0, 2), whole), 5000, 1e-3) << "w divides out";
    EXPECT_NEAR(pixelsOf(At(-100, 0), At(100, 0), At(-100, 200), whole), 5000, 1e-3) << "the left half is off the window";
    coverage::Target scissored{{0, 0, 640, 480}, {0, 0, 50, 480}};
    EXPECT_NEAR(pixelsOf(At(0, 0), At(100, 0), At(0, 100), scissored), 3750, 1e-3);
    EXPECT_DOUBLE_EQ(pixelsOf(At(0, 0, -2), At(100, 0, -2), At(0, 100, -2), whole), 0) << "before the near plane";
    EXPECT_DOUBLE_EQ(pixelsOf(At(0, 0, 2), At(100, 0, 2), At(0, 100, 2), whole), 0) << "beyond the far plane";
    EXPECT_NEAR(pixelsOf(At(0, 0, -3), At(100, 0, 1), At(0, 100, 1), whole), 5000 * 0.75, 1) << "half past the near plane";
    coverage::ClipPoint behind{0, 0, 0.5f, -1};
    EXPECT_DOUBLE_EQ(pixelsOf(behind, behind, behind, whole), 0) << "behind the eye";
    EXPECT_DOUBLE_EQ(pixelsOf(At(0, 0), At(100, 0), At(0, 100), whole, coverage::Cull::kFront), 0) << "counter-clockwise is the front";
    EXPECT_DOUBLE_EQ(pixelsOf(At(0, 0), At(0, 100), At(100, 0), whole, coverage::Cull::kBack), 0);
    EXPECT_NEAR(pixelsOf(At(0, 0), At(100, 0), At(0, 100), whole, coverage::Cull::kBack), 5000, 1e-2);
    EXPECT_DOUBLE_EQ(pixelsOf(At(0, 0), At(100, 0), At(0, 100), whole, coverage::Cull::kBoth), 0);
}

}  // namespace
