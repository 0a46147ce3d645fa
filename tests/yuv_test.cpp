// The capture's conversion of frames to YUV 4:2:0: studio range, the top row
// first, colour from 2x2 blocks, BT.601 for standard definition and BT.709
// for HD.
#include <gtest/gtest.h>

#include <vector>

#include "capture/yuv.h"

namespace {

// BT.601 studio range: black at 16, white at 235, grey without colour at
// 128, and the colour planes from 2x2 blocks; the rows come bottom first.
TEST(YuvTest, FramesBecomeStudioRangeBt601WithTheTopRowFirst) {
    const int w = 4, h = 2;
    std::vector<uint8_t> rgba(w * h * 4);
    auto set = [&](int x, int yFromBottom, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &rgba[(yFromBottom * w + x) * 4];
        p[0] = r, p[1] = g, p[2] = b, p[3] = 255;
    };
    for (int x = 0; x < 2; ++x)
        for (int y = 0; y < 2; ++y) set(x, y, 0, 0, 0);
    for (int x = 2; x < 4; ++x) set(x, 0, 255, 0, 0), set(x, 1, 255, 255, 255);  // red under white
    std::vector<uint8_t> yuv;
    platform::capture::ToYuv420(rgba.data(), w, h, platform::capture::YuvMatrix::Bt601, &yuv);
    ASSERT_EQ(yuv.size(), 12u);
    EXPECT_EQ(yuv[0], 16);   // black
    EXPECT_EQ(yuv[2], 235);  // white, in the top row
    EXPECT_EQ(yuv[6], 82);   // red, in the bottom row
    EXPECT_EQ(yuv[8], 128);  // the black block has no colour
    EXPECT_EQ(yuv[10], 128);
    EXPECT_GT(yuv[11], 128);  // half red: V above grey
    EXPECT_LT(yuv[9], 128);   // and U below
}

// HD uses BT.709's weights: red is darker than in BT.601, green brighter.
TEST(YuvTest, HdFramesUseBt709) {
    EXPECT_EQ(platform::capture::MatrixForHeight(480), platform::capture::YuvMatrix::Bt601);
    EXPECT_EQ(platform::capture::MatrixForHeight(720), platform::capture::YuvMatrix::Bt709);
    std::vector<uint8_t> red(2 * 2 * 4, 0), green(2 * 2 * 4, 0), yuv;
    for (int i = 0; i < 4; ++i) red[i * 4] = 255, green[i * 4 + 1] = 255;
    platform::capture::ToYuv420(red.data(), 2, 2, platform::capture::YuvMatrix::Bt709, &yuv);
    EXPECT_EQ(yuv[0], 63);   // 16 + 0.2126 * 219
    EXPECT_EQ(yuv[5], 240);  // V at its top for pure red
    platform::capture::ToYuv420(green.data(), 2, 2, platform::capture::YuvMatrix::Bt709, &yuv);
    EXPECT_EQ(yuv[0], 172);  // 16 + 0.7152 * 219, rounded down
}

}  // namespace
