// The driver's pixel counts, on real GL (the fixed function, headless): a
// counted frame's draws are each the pixels they cover, exactly, filed by the
// state they ran under, and the shader's runs a little more; the frames
// between are not counted.
#include <gtest/gtest.h>

#include "gl/pixel_counter.h"
#include "support.h"

namespace {

namespace pixels = platform::gl::pixels;

class PixelCountTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::OpenEngine();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, 640, 0, 480);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
    }
    void TearDown() override {
        pixels::CountEveryNthFrame(0);
        test::CloseEngine();
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
};

TEST_F(PixelCountTest, ACountedFrameFilesEachDrawsPixelsByItsState) {
    pixels::CountEveryNthFrame(2);
    pixels::FrameDrawn(0);  // frame 1 is not counted
    Rectangle(0, 0, 300, 300);
    pixels::FrameDrawn(1);  // frame 2 is
    pixels::FramePixels frame;
    EXPECT_FALSE(pixels::TakeCountedFrame(1, &frame));

    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 20, 10);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    Rectangle(10, 10, 100, 50);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    Rectangle(200, 100, 50, 40);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    Rectangle(400, 300, 30, 30);
    glDisable(GL_DEPTH_TEST);
    pixels::FrameDrawn(2);

    ASSERT_TRUE(pixels::TakeCountedFrame(2, &frame)) << "no counts: the context keeps no pipeline statistics";
    EXPECT_EQ(frame.written, 5000u + 2000u + 900u);
    // The shader runs on whole blocks: the edges' lanes count too, not more
    // than a block's row or column along each edge.
    EXPECT_GE(frame.shaded, frame.written);
    EXPECT_LE(frame.shaded, frame.written * 13 / 10);
    EXPECT_EQ(frame.blended, 2000u);
    EXPECT_EQ(frame.textured, 2000u);
    EXPECT_EQ(frame.depthTested, 900u);
    EXPECT_EQ(frame.cleared, 200u);
    EXPECT_FALSE(pixels::TakeCountedFrame(2, &frame)) << "a frame's counts are taken once";
}

}  // namespace
