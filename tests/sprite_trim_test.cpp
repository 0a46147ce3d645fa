// Sprites cut to what of their picture can show, on the shader path: which
// texels and cells of a picture can change a pixel, the pieces of a quad
// over them, and, drawn headless and read back, a cut sprite beside the same
// sprite drawn whole (a depth test that passes everything keeps it whole):
// the same pixels, and the counted pixels say the cut one covered only what
// can show. Two sprites over the same corners likewise: drawn as one, they
// draw what the two draw one after the other, shading their pixels once,
// whatever texture matrix each has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gl/es3/quad_trim.h"  // first: ES's header before the program's GL names

#include "counting_test.h"
#include "gl/pixel_counter.h"
#include "platform/runtime.h"

namespace {

using platform::gl::es3::FindVisibleTexels;
using platform::gl::es3::ImmediateVertex;
using platform::gl::es3::CutQuad;
using platform::gl::es3::TexelBox;
namespace pixels = platform::gl::pixels;

// A picture of `components` whose texels in `block` are (200 100 50) with
// alpha 255, the rest black with alpha 0; rows padded to `alignment` bytes
// with bytes that would be visible if read as texels.
std::vector<uint8_t> Picture(int widthPx, int heightPx, int components, TexelBox block, int alignment = 1) {
    size_t rowBytes = static_cast<size_t>(widthPx) * components;
    size_t stride = (rowBytes + alignment - 1) / alignment * alignment;
    std::vector<uint8_t> bytes(stride * heightPx, 0xff);
    for (int y = 0; y < heightPx; ++y)
        for (int x = 0; x < widthPx; ++x) {
            bool inside = x >= block.x0 && x < block.x1 && y >= block.y0 && y < block.y1;
            const uint8_t texel[4] = {static_cast<uint8_t>(inside ? 200 : 0), static_cast<uint8_t>(inside ? 100 : 0),
                                      static_cast<uint8_t>(inside ? 50 : 0), static_cast<uint8_t>(inside ? 255 : 0)};
            std::copy(texel, texel + components, bytes.begin() + y * stride + x * components);
        }
    return bytes;
}

void ExpectBox(const TexelBox& box, int x0, int y0, int x1, int y1) {
    EXPECT_EQ(box.x0, x0);
    EXPECT_EQ(box.y0, y0);
    EXPECT_EQ(box.x1, x1);
    EXPECT_EQ(box.y1, y1);
}

TEST(VisibleTexelsTest, TheBoxesAndCellsHoldTheTexelsThatAreNotSeeThroughOrNotBlack) {
    std::vector<uint8_t> rgba = Picture(64, 32, 4, {10, 5, 20, 9});
    platform::gl::es3::VisibleTexels found = FindVisibleTexels(rgba.data(), 64, 32, 4, 1);
    ASSERT_TRUE(found.known);
    ExpectBox(found.unveiled, 10, 5, 20, 9);
    ExpectBox(found.lit, 10, 5, 20, 9);
    // Cells of 8x4 texels, each read a texel beyond its sides: columns 1 and 2, rows 1 and 2.
    EXPECT_EQ(found.unveiledCells.count(), 4u);
    for (int row : {1, 2})
        for (int column : {1, 2}) EXPECT_TRUE(found.unveiledCells[row * 8 + column]) << row << " " << column;
    EXPECT_EQ(found.litCells, found.unveiledCells);

    // A texel that is black but not see-through, at the far side: the first
    // column of cells reads it too, as the texture repeats; and one
    // see-through but coloured.
    rgba[(30 * 64 + 63) * 4 + 3] = 255;
    rgba[(1 * 64 + 40) * 4 + 0] = 9;
    found = FindVisibleTexels(rgba.data(), 64, 32, 4, 1);
    ExpectBox(found.unveiled, 10, 5, 64, 31);
    ExpectBox(found.lit, 10, 1, 41, 9);
    EXPECT_TRUE(found.unveiledCells[7 * 8 + 0] && found.unveiledCells[7 * 8 + 7]);
    EXPECT_FALSE(found.litCells[7 * 8 + 0]);
    EXPECT_TRUE(found.litCells[0 * 8 + 5] && !found.unveiledCells[0 * 8 + 5]);
    platform::gl::es3::Showing adding = platform::gl::es3::ShowingWhen(found, true);
    ExpectBox(adding.box, 10, 5, 41, 9);
    EXPECT_EQ(adding.cells, found.unveiledCells & found.litCells);

    // RGB rows of 7 texels padded to 4 bytes: the padding is not a texel.
    std::vector<uint8_t> rgb = Picture(7, 6, 3, {1, 2, 3, 4}, 4);
    found = FindVisibleTexels(rgb.data(), 7, 6, 3, 4);
    ExpectBox(found.unveiled, 0, 0, 7, 6);  // no alpha: opaque
    ExpectBox(found.lit, 1, 2, 3, 4);

    std::vector<uint8_t> clear(16 * 16 * 4, 0);
    found = FindVisibleTexels(clear.data(), 16, 16, 4, 1);
    EXPECT_GE(found.unveiled.x0, found.unveiled.x1) << "nothing shows";
    EXPECT_TRUE(found.unveiledCells.none());
    EXPECT_FALSE(FindVisibleTexels(nullptr, 16, 16, 4, 1).known);
}

// A sprite's quad as the engine gives it: texture (0 0) at its first corner.
void Sprite(float x, float y, float widthPx, float heightPx, ImmediateVertex q[4]) {
    const float corners[4][4] = {{x, y, 0, 0}, {x + widthPx, y, 1, 0}, {x + widthPx, y + heightPx, 1, 1}, {x, y + heightPx, 0, 1}};
    for (int i = 0; i < 4; ++i) q[i] = {{corners[i][0], corners[i][1], 0, 1}, {1, 1, 1, 0.5f}, {corners[i][2], corners[i][3]}};
}

// The pieces a quad is cut into: their area, the box around them, and
// whether each is a parallelogram whose texture runs with it as the quad's does.
struct Pieces {
    size_t count = 0;
    double area = 0;
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    bool alike = true;
};

Pieces Measure(const std::vector<ImmediateVertex>& corners, float pxPerS, float pxPerT) {
    Pieces p;
    for (size_t i = 0; i + 3 < corners.size(); i += 4) {
        const ImmediateVertex* q = &corners[i];
        ++p.count;
        float ex = q[1].position[0] - q[0].position[0], ey = q[3].position[1] - q[0].position[1];
        p.area += static_cast<double>(ex) * ey;
        for (int c = 0; c < 4; ++c) {
            p.x0 = std::min(p.x0, q[c].position[0]), p.x1 = std::max(p.x1, q[c].position[0]);
            p.y0 = std::min(p.y0, q[c].position[1]), p.y1 = std::max(p.y1, q[c].position[1]);
            p.alike = p.alike && std::abs(q[c].position[0] - q[0].position[0] - (q[c].texCoord[0] - q[0].texCoord[0]) * pxPerS) < 1e-3 &&
                      std::abs(q[c].position[1] - q[0].position[1] - (q[c].texCoord[1] - q[0].texCoord[1]) * pxPerT) < 1e-3 &&
                      q[c].color[3] == 0.5f && q[c].position[3] == 1;
        }
    }
    return p;
}

platform::gl::es3::Showing ShowingOf(const std::vector<uint8_t>& rgba, int widthPx, int heightPx) {
    return platform::gl::es3::ShowingWhen(FindVisibleTexels(rgba.data(), widthPx, heightPx, 4, 1), false);
}

TEST(QuadTrimTest, ASpriteIsCutToWhatCanShowWithATexelAroundItForTheFilter) {
    ImmediateVertex q[4];
    std::vector<ImmediateVertex> pieces;
    Sprite(100, 50, 512, 256, q);  // a 256x128 picture drawn twice its size
    ASSERT_TRUE(CutQuad(ShowingOf(Picture(256, 128, 4, {64, 32, 128, 96}), 256, 128), 256, 128, q, &pieces));
    Pieces p = Measure(pieces, 512, 256);
    EXPECT_TRUE(p.alike);
    // Texels 63 to 128 across and 31 to 96 down.
    EXPECT_NEAR(p.area, 132.0 * 132.0, 1e-2);
    EXPECT_NEAR(p.x0, 100 + 126, 1e-3);
    EXPECT_NEAR(p.x1, 100 + 258, 1e-3);
    EXPECT_NEAR(p.y0, 50 + 62, 1e-3);
    EXPECT_NEAR(p.y1, 50 + 194, 1e-3);

    // Two blocks in opposite corners: the cells between them are left out.
    std::vector<uint8_t> picture = Picture(256, 128, 4, {40, 20, 60, 30});
    std::vector<uint8_t> other = Picture(256, 128, 4, {200, 100, 210, 110});
    for (size_t i = 3; i < picture.size(); i += 4)
        if (other[i]) std::copy(other.begin() + i - 3, other.begin() + i + 1, picture.begin() + i - 3);
    pieces.clear();
    ASSERT_TRUE(CutQuad(ShowingOf(picture, 256, 128), 256, 128, q, &pieces));
    p = Measure(pieces, 512, 256);
    EXPECT_TRUE(p.alike);
    EXPECT_LT(p.area, 0.2 * 2 * (212 - 39) * 2 * (111 - 19)) << "the empty cells between the blocks are drawn";
    EXPECT_GT(p.area, 4.0 * 22 * 12 + 4.0 * 12 * 12) << "a block is left out";

    // Texture coordinates that run the other way round the quad.
    Sprite(0, 0, 100, 100, q);
    std::swap(q[1].texCoord, q[3].texCoord);
    pieces.clear();
    ASSERT_TRUE(CutQuad(ShowingOf(Picture(256, 128, 4, {64, 32, 128, 96}), 256, 128), 256, 128, q, &pieces));
    p = Measure(pieces, 0, 0);
    EXPECT_NEAR(p.area, (97 - 31) / 128.0 * 100 * (129 - 63) / 256.0 * 100, 1e-2);
    EXPECT_NEAR(p.x0, 31 / 128.0 * 100, 1e-3);
    EXPECT_NEAR(p.y1, 129 / 256.0 * 100, 1e-3);
}

TEST(QuadTrimTest, WhatCannotBeCutExactlyIsDrawnWholeAndWhatCannotShowIsLeftOut) {
    ImmediateVertex q[4];
    std::vector<ImmediateVertex> pieces;
    platform::gl::es3::Showing block = ShowingOf(Picture(256, 128, 4, {64, 32, 128, 96}), 256, 128);
    // Reaching the edge: a repeating texture filters across it, so that direction stays whole.
    Sprite(0, 0, 256, 128, q);
    ASSERT_TRUE(CutQuad(ShowingOf(Picture(256, 128, 4, {0, 32, 256, 96}), 256, 128), 256, 128, q, &pieces));
    Pieces p = Measure(pieces, 256, 128);
    EXPECT_EQ(p.x0, 0);
    EXPECT_EQ(p.x1, 256);
    EXPECT_NEAR(p.y0, 31, 1e-3);
    pieces.clear();
    EXPECT_FALSE(CutQuad(ShowingOf(Picture(256, 128, 4, {1, 1, 255, 127}), 256, 128), 256, 128, q, &pieces));
    EXPECT_TRUE(pieces.empty()) << "a quad that all shows is drawn whole";

    auto whole = [&](void (*change)(ImmediateVertex*), const char* what) {
        Sprite(0, 0, 256, 128, q);
        change(q);
        pieces.clear();
        EXPECT_FALSE(CutQuad(block, 256, 128, q, &pieces)) << what;
        EXPECT_TRUE(pieces.empty()) << what;
    };
    whole([](ImmediateVertex* q) { q[2].position[0] += 1; }, "not a parallelogram");
    whole([](ImmediateVertex* q) { q[2].color[0] = 0; }, "colours that differ");
    whole([](ImmediateVertex* q) { q[1].texCoord[0] = q[2].texCoord[0] = 2; }, "texture repeated");
    whole([](ImmediateVertex* q) { q[1].texCoord[1] = q[2].texCoord[1] = 0.5f; }, "texture skewed");

    Sprite(0, 0, 256, 128, q);
    pieces.clear();
    std::vector<uint8_t> clear(256 * 128 * 4, 0);
    EXPECT_TRUE(CutQuad(ShowingOf(clear, 256, 128), 256, 128, q, &pieces));
    EXPECT_TRUE(pieces.empty()) << "a picture that is all see-through";
    // Only the part of the texture away from the block is drawn.
    for (ImmediateVertex& v : q) v.texCoord[0] = v.texCoord[0] * 0.125f;
    EXPECT_TRUE(CutQuad(block, 256, 128, q, &pieces));
    EXPECT_TRUE(pieces.empty());
}

// Drawn headless on the shader path.
class SpriteDrawTest : public test::CountingTest {
protected:
    static void SetUpTestSuite() { test::ConfigureHeadlessGl(platform::GlWay::kEs3, true); }
    void SetUp() override {
        CountingTest::SetUp();
        glDepthFunc(GL_ALWAYS);
    }
    // Stripes of colour under both halves alike, for the blend to show on.
    static void Background() {
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        for (int x = 0; x < 320; x += 8) {
            glColor3f(x / 320.0f, 0.3f, 1 - x / 320.0f);
            for (int half : {0, 320}) {
                glBegin(GL_QUADS);
                glVertex2i(half + x, 0);
                glVertex2i(half + x + 8, 0);
                glVertex2i(half + x + 8, 480);
                glVertex2i(half + x, 480);
                glEnd();
            }
        }
    }
    static void UploadPicture(const std::vector<uint8_t>& picture, GLenum format, int widthPx, int heightPx) {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, format == GL_RGBA ? 4 : 3, widthPx, heightPx, 0, format, GL_UNSIGNED_BYTE,
                     picture.data());
        glEnable(GL_TEXTURE_2D);
    }
    // The sprite turned by `degrees` about (x, y) in each half: cut in the
    // left one, drawn whole under the depth test in the right one; blended
    // as glBlendFunc last said.
    static void SpriteInBothHalves(int x, int y, int widthPx, int heightPx, float degrees) {
        glEnable(GL_BLEND);
        for (int half : {0, 320}) {
            if (half) glEnable(GL_DEPTH_TEST);
            glLoadIdentity();
            glTranslatef(static_cast<float>(half + x), static_cast<float>(y), 0);
            glRotatef(degrees, 0, 0, 1);
            glBegin(GL_QUADS);
            glTexCoord2i(0, 0);
            glVertex2i(-widthPx / 2, -heightPx / 2);
            glTexCoord2i(1, 0);
            glVertex2i(widthPx / 2, -heightPx / 2);
            glTexCoord2i(1, 1);
            glVertex2i(widthPx / 2, heightPx / 2);
            glTexCoord2i(0, 1);
            glVertex2i(-widthPx / 2, heightPx / 2);
            glEnd();
            glDisable(GL_DEPTH_TEST);
        }
        glLoadIdentity();
    }
    // The largest difference of any channel between the two halves.
    static int HalvesDiffer() {
        std::vector<uint8_t> frame(640 * 480 * 4);
        glFlush();
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
        int worst = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 320; ++x)
                for (int c = 0; c < 3; ++c)
                    worst = std::max(worst, std::abs(frame[(y * 640 + x) * 4 + c] - frame[(y * 640 + x + 320) * 4 + c]));
        return worst;
    }
};

TEST_F(SpriteDrawTest, ACutSpriteDrawsTheWholeSpritesPixelsAndCoversOnlyItsVisiblePart) {
    pixels::CountEveryNthFrame(2);
    FrameDrawn(0);
    Background();
    FrameDrawn(1);
    Background();
    // Over-blended: a 256x128 picture with a 40x20 block that shows, drawn at 300x200.
    UploadPicture(Picture(256, 128, 4, {100, 40, 140, 60}), GL_RGBA, 256, 128);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 0.8f);
    SpriteInBothHalves(160, 120, 300, 200, 0);
    FrameDrawn(2);
    pixels::FramePixels frame;
    ASSERT_TRUE(pixels::TakeCountedFrame(2, &frame));
    EXPECT_EQ(frame.depthTested, 60000u) << "the sprite drawn whole";
    // 42 x 22 texels of it: 49.2 x 34.4 pixels.
    uint64_t cut = frame.blended - frame.depthTested;
    EXPECT_GT(cut, 1600u) << "the cut sprite covers less than its visible texels";
    EXPECT_LT(cut, 1800u) << "the cut sprite covers more than its visible texels and a texel around them";
    EXPECT_EQ(HalvesDiffer(), 0) << "the cut sprite's pixels are not the whole sprite's";

    // Turned, scaled unevenly, and the texture's picture made anew: its new
    // visible part is the one that counts.
    Background();
    UploadPicture(Picture(256, 128, 4, {20, 70, 90, 100}), GL_RGBA, 256, 128);
    SpriteInBothHalves(160, 300, 240, 130, 33);
    EXPECT_EQ(HalvesDiffer(), 0) << "a turned cut sprite's pixels are not the whole sprite's";

    // Scattered blocks, so that the sprite is cut into many pieces: the
    // pixels along their seams are drawn once, as by the whole quad, and
    // those beside a block that ends at a cell border are drawn too.
    Background();
    std::vector<uint8_t> scattered(256 * 256 * 4, 0);
    for (TexelBox block : {TexelBox{10, 10, 30, 20}, TexelBox{100, 120, 128, 140}, TexelBox{200, 30, 250, 96}}) {
        std::vector<uint8_t> one = Picture(256, 256, 4, block);
        for (size_t i = 3; i < one.size(); i += 4)
            if (one[i]) std::copy(one.begin() + i - 3, one.begin() + i + 1, scattered.begin() + i - 3);
    }
    UploadPicture(scattered, GL_RGBA, 256, 256);
    SpriteInBothHalves(160, 240, 190, 190, 71);
    EXPECT_EQ(HalvesDiffer(), 0) << "a sprite cut into pieces does not draw the whole sprite's pixels";

    // Added: an RGB picture, black but for its block.
    Background();
    UploadPicture(Picture(128, 128, 3, {30, 30, 60, 50}), GL_RGB, 128, 128);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.9f, 0.7f, 1, 0.6f);
    SpriteInBothHalves(160, 240, 160, 160, -12);
    EXPECT_EQ(HalvesDiffer(), 0) << "an added cut sprite's pixels are not the whole sprite's";
}

// Two sprites over the same corners, the texture, colour and texture matrix
// (the upper one's moved by `upperShift`) changed between them: drawn as one
// in the left half, one after the other under the depth test in the right
// half.
void PairInBothHalves(GLuint lower, GLuint upper, float upperShift, int x, int y, int widthPx, int heightPx) {
    for (int half : {0, 320}) {
        if (half) glEnable(GL_DEPTH_TEST);
        for (GLuint texture : {lower, upper}) {
            glMatrixMode(GL_TEXTURE);
            glLoadIdentity();
            if (texture == upper) glTranslatef(upperShift, 0, 0);
            glMatrixMode(GL_MODELVIEW);
            glBindTexture(GL_TEXTURE_2D, texture);
            glColor4f(texture == lower ? 1.0f : 0.8f, 0.9f, 1, texture == lower ? 0.7f : 0.6f);
            glBegin(GL_QUADS);
            glTexCoord2i(0, 0);
            glVertex2i(half + x, y);
            glTexCoord2i(1, 0);
            glVertex2i(half + x + widthPx, y);
            glTexCoord2i(1, 1);
            glVertex2i(half + x + widthPx, y + heightPx);
            glTexCoord2i(0, 1);
            glVertex2i(half + x, y + heightPx);
            glEnd();
        }
        glDisable(GL_DEPTH_TEST);
    }
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

GLuint Texture(const std::vector<uint8_t>& rgba, int widthPx, int heightPx) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, widthPx, heightPx, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return texture;
}

// A picture that shows everywhere, in gradients whose alpha runs from 40 to 240.
std::vector<uint8_t> Gradient(int widthPx, int heightPx, int seed) {
    std::vector<uint8_t> rgba(static_cast<size_t>(widthPx) * heightPx * 4);
    for (int y = 0; y < heightPx; ++y)
        for (int x = 0; x < widthPx; ++x) {
            uint8_t* t = &rgba[(static_cast<size_t>(y) * widthPx + x) * 4];
            t[0] = static_cast<uint8_t>(x * 255 / widthPx);
            t[1] = static_cast<uint8_t>((y * 255 / heightPx + seed * 90) % 256);
            t[2] = static_cast<uint8_t>(seed * 120);
            t[3] = static_cast<uint8_t>(40 + (x + y + seed * 50) * 200 / (widthPx + heightPx + 100));
        }
    return rgba;
}

TEST_F(SpriteDrawTest, TwoSpritesOverTheSameCornersDrawAsOneWhatTheTwoDrawAndShadeTheirPixelsOnce) {
    pixels::CountEveryNthFrame(1);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    struct Case {
        const char* name;
        GLenum destination;
        std::vector<uint8_t> lower, upper;
        float upperShift;
        uint64_t shadedOnceMost;  // the left half's pixels, drawn as one
    };
    const Case cases[] = {
        {"over-blended", GL_ONE_MINUS_SRC_ALPHA, Gradient(128, 64, 1), Gradient(128, 64, 2), 0, 200 * 100},
        {"added", GL_ONE, Gradient(128, 64, 1), Gradient(128, 64, 2), 0, 200 * 100},
        {"scrolled", GL_ONE, Gradient(128, 64, 1), Gradient(128, 64, 2), 0.3f, 200 * 100},
        // Cut by what either shows: two blocks of 40 x 16 texels of 128 x 64
        // (drawn at 200 x 100), overlapping but for 10 x 4; cut alone, each
        // would cover 42 x 18 texels, 1845 pixels.
        {"cut", GL_ONE_MINUS_SRC_ALPHA, Picture(128, 64, 4, {10, 8, 50, 24}), Picture(128, 64, 4, {20, 12, 60, 28}),
         0, 3300},
    };
    uint64_t frameNumber = 0;
    for (const Case& c : cases) {
        FrameDrawn(frameNumber++);
        Background();
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, c.destination);
        GLuint lower = Texture(c.lower, 128, 64), upper = Texture(c.upper, 128, 64);
        PairInBothHalves(lower, upper, c.upperShift, 60, 190, 200, 100);
        FrameDrawn(frameNumber);
        pixels::FramePixels frame;
        ASSERT_TRUE(pixels::TakeCountedFrame(frameNumber++, &frame)) << c.name;
        EXPECT_EQ(frame.depthTested, 2u * 200 * 100) << c.name << ": the right half's two sprites drawn whole";
        uint64_t left = frame.blended - frame.depthTested;
        EXPECT_GT(left, 0u) << c.name;
        EXPECT_LE(left, c.shadedOnceMost) << c.name << ": the two sprites were not drawn as one";
        // Each blend rounds to 8 bits; the two drawn as one round once.
        EXPECT_LE(HalvesDiffer(), 3) << c.name << ": the two drawn as one differ from the two drawn in turn";
        glDeleteTextures(1, &lower);
        glDeleteTextures(1, &upper);
    }
}

// A sprite faded to nothing (its alpha at 0 or below, blended over or added)
// changes no pixel and is not drawn, in the left half; in the right half,
// under the depth test, it still writes depth and is drawn. One faded almost
// to nothing is drawn in both.
TEST_F(SpriteDrawTest, ASpriteFadedToNothingIsNotDrawnUnlessItWritesDepth) {
    pixels::CountEveryNthFrame(1);
    struct Case {
        const char* name;
        GLenum destination;
        float alpha;
        uint64_t drawnWithoutDepthTest;
    };
    const Case cases[] = {
        {"over-blended at 0", GL_ONE_MINUS_SRC_ALPHA, 0, 0},
        {"added below 0", GL_ONE, -0.5f, 0},
        {"added almost at 0", GL_ONE, 0.01f, 200 * 100},
    };
    uint64_t frameNumber = 0;
    for (const Case& c : cases) {
        FrameDrawn(frameNumber++);
        Background();
        UploadPicture(Gradient(128, 64, 1), GL_RGBA, 128, 64);
        glBlendFunc(GL_SRC_ALPHA, c.destination);
        glColor4f(1, 1, 1, c.alpha);
        SpriteInBothHalves(160, 240, 200, 100, 0);
        FrameDrawn(frameNumber);
        pixels::FramePixels frame;
        ASSERT_TRUE(pixels::TakeCountedFrame(frameNumber++, &frame)) << c.name;
        EXPECT_EQ(frame.depthTested, 200u * 100) << c.name << ": the sprite that writes depth was not drawn";
        EXPECT_EQ(frame.blended - frame.depthTested, c.drawnWithoutDepthTest)
            << c.name << (c.drawnWithoutDepthTest ? ": the faint sprite was not drawn" : ": a sprite that adds nothing was drawn");
        EXPECT_EQ(HalvesDiffer(), 0) << c.name << ": the halves differ";
    }
}

}  // namespace
