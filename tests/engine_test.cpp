// The engine on real GL, headless: band, quads, blending, textures and their
// file layouts, names and messages, meshes and the object list, lights, files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "support.h"

namespace {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::OpenEngine();
        boxesBefore = test::Boxes().size();
    }
    void TearDown() override { test::CloseEngine(); }

    std::vector<std::string> NewBoxes() const {
        std::vector<std::string> all = test::Boxes();
        return {all.begin() + static_cast<long>(boxesBefore), all.end()};
    }

    // The band and a white picture in slot 0, as the scenes draw.
    void WhiteSlot() {
        g_engine->cls();
        g_engine->setWideScreen(640, 256);
        g_engine->edTexture(true);
        g_engine->InitTextures(52);
        std::vector<unsigned char> white(4 * 4 * 3, 255);
        g_engine->MakeTexture(white.data(), 0, 4, 4);
        g_engine->addTextureName("white", 0);
        g_engine->set2D();
        g_engine->Blend(3);
        g_engine->SetFade(1);
    }

    size_t boxesBefore = 0;
};

std::string WriteFile(const std::string& name, const std::string& bytes) {
    return test::WriteTemp(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::vector<unsigned char> TextureBytes(int slot, GLenum format, int count) {
    std::vector<unsigned char> bytes(static_cast<size_t>(count));
    g_engine->useTexture(slot);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

TEST_F(EngineTest, InitialGlStateIsAsTheScenesExpect) {
    GLint value = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 1);
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_FRONT);
    GLfloat depth = 0;
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
    for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND, GL_TEXTURE_2D}) EXPECT_FALSE(glIsEnabled(cap));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
}

TEST_F(EngineTest, FullBandSpriteCoversWindowRows112To367Only) {
    WhiteSlot();
    g_engine->sprite(0, 0, 640, 256, 0);
    EXPECT_TRUE(test::RowsBlack(0, 111));
    EXPECT_TRUE(test::RowsBlack(368, 479));
    for (int y : {112, 240, 367}) EXPECT_EQ(test::PixelAt(320, y).r, 255) << y;
    EXPECT_EQ(test::PixelAt(0, 112).g, 255);
    EXPECT_EQ(test::PixelAt(639, 367).b, 255);
}

TEST_F(EngineTest, ScissorCutsAQuadAboveTheBand) {
    WhiteSlot();
    g_engine->sprite(0, -100, 640, 200, "white");
    EXPECT_TRUE(test::RowsBlack(0, 111));
    EXPECT_EQ(test::PixelAt(320, 112).r, 255);
    EXPECT_EQ(test::PixelAt(320, 211).r, 255);
    EXPECT_EQ(test::PixelAt(320, 212).r, 0);
}

TEST_F(EngineTest, BlendModesAndFadeToZero) {
    WhiteSlot();
    g_engine->SetFade(0.5f);
    g_engine->Image(0);
    int grey = test::PixelAt(320, 240).r;
    EXPECT_NEAR(grey, 128, 2);

    g_engine->Blend(2);  // additive: a level of 0 adds nothing
    g_engine->SetFade(0);
    g_engine->Image(0);
    EXPECT_EQ(test::PixelAt(320, 240).r, grey);

    g_engine->Blend(0);  // blending on, function kept
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE);

    g_engine->Blend(1);
    g_engine->SetAlpha(0.5f);
    g_engine->Image(0);
    EXPECT_NEAR(test::PixelAt(320, 240).r, (grey + 255) / 2, 2);

    g_engine->Blend(3);  // opaque: a level of 0 draws black
    g_engine->SetFade(0);
    g_engine->Image(0);
    EXPECT_EQ(test::PixelAt(320, 240).r, 0);
}

TEST_F(EngineTest, EnableFeaturesSwitchesOnlyTheGivenCapabilities) {
    g_engine->EnableFeatures(7);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    g_engine->DisableFeatures(kCullFace);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(EngineTest, QuadTransformTurnsAndScalesAboutTheCentre) {
    WhiteSlot();
    g_engine->sprite(100, 50, 200, 100, 0);
    std::vector<unsigned char> plain(640 * 480 * 3), turned(640 * 480 * 3);
    glFlush();
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, plain.data());

    g_engine->fill(0, 0, 0);
    g_engine->SetFade(1);
    g_engine->EnableQuadTransform();
    g_engine->SetQuadTransform(0, 1);
    g_engine->sprite(100, 50, 200, 100, 0);
    glFlush();
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, turned.data());
    EXPECT_EQ(plain, turned);

    for (bool byName : {false, true}) {
        g_engine->fill(0, 0, 0);
        g_engine->SetFade(1);
        g_engine->SetQuadTransform(0, 0.5f);
        if (byName) g_engine->sprite(0, 0, 640, 256, "white");
        else g_engine->sprite(0, 0, 640, 256, 0);
        // Half size about the band's centre (320, 240): x 160 to 480, y 176 to 304.
        EXPECT_EQ(test::PixelAt(320, 240).r, 255);
        EXPECT_EQ(test::PixelAt(165, 180).r, 255);
        EXPECT_EQ(test::PixelAt(150, 240).r, 0);
        EXPECT_EQ(test::PixelAt(320, 120).r, 0);
        EXPECT_EQ(test::PixelAt(490, 300).r, 0);
    }
    g_engine->DisableQuadTransform();
}

// A 2x2 picture with four distinct corners, stretched over the band: its
// first row is drawn at the top, its first pixel at the left.
TEST_F(EngineTest, ASpriteShowsItsPictureUprightAndUnmirrored) {
    WhiteSlot();
    const unsigned char corners[] = {255, 0, 0, 0, 255, 0,  // top: red, green
                                     0, 0, 255, 255, 255, 0};  // bottom: blue, yellow
    g_engine->MakeTexture(corners, 1, 2, 2);
    g_engine->sprite(0, 0, 640, 256, 1);
    // The quadrants' centres fall on the texel centres, where linear filtering
    // gives the texel itself (within a level of rounding).
    auto expectColour = [](int x, int y, int r, int g, int b) {
        test::Rgb p = test::PixelAt(x, y);
        EXPECT_NEAR(p.r, r, 2) << x << "," << y;
        EXPECT_NEAR(p.g, g, 2) << x << "," << y;
        EXPECT_NEAR(p.b, b, 2) << x << "," << y;
    };
    expectColour(160, 176, 255, 0, 0);
    expectColour(480, 176, 0, 255, 0);
    expectColour(160, 304, 0, 0, 255);
    expectColour(480, 304, 255, 255, 0);
    // Linear filtering: half way between red and green is a blend of both.
    test::Rgb middle = test::PixelAt(320, 176);
    EXPECT_NEAR(middle.r, 128, 3);
    EXPECT_NEAR(middle.g, 128, 3);
    GLint minFilter = 0, magFilter = 0;
    g_engine->useTexture(1);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);

    // A texture offset of half the picture moves its right half to the left; a reset puts it back.
    g_engine->SetTextureOffset(0.5f, 0, 0);
    g_engine->sprite(0, 0, 640, 256, 1);
    expectColour(160, 176, 0, 255, 0);
    g_engine->ResetTextureMatrix();
    g_engine->sprite(0, 0, 640, 256, 1);
    expectColour(160, 176, 255, 0, 0);
}

TEST_F(EngineTest, QuadRotationTurnsClockwiseOnScreenForPositiveAngles) {
    WhiteSlot();
    g_engine->EnableQuadTransform();
    // A thin horizontal bar through the band's centre, turned by 90 degrees, stands upright.
    g_engine->SetQuadTransform(90, 1);
    g_engine->sprite(160, 124, 320, 8, 0);
    EXPECT_EQ(test::PixelAt(320, 120).r, 255);
    EXPECT_EQ(test::PixelAt(420, 240).r, 0);
    // Turned by 45 degrees: counter-clockwise in GL's terms, which with y
    // growing downwards lowers the right end on screen.
    g_engine->fill(0, 0, 0);
    g_engine->SetFade(1);
    g_engine->SetQuadTransform(45, 1);
    g_engine->sprite(160, 124, 320, 8, 0);
    bool rightEndUp = test::PixelAt(400, 160).r == 255;
    bool rightEndDown = test::PixelAt(400, 320).r == 255;
    EXPECT_NE(rightEndUp, rightEndDown);
    EXPECT_TRUE(rightEndDown) << "a positive angle turns the other way";
    g_engine->DisableQuadTransform();
}

// The perspective of both set-ups: the window's aspect (640 / 480, not the
// band's), near 0.1 and far 100; changeFOV uses its angle once and leaves the
// stored field of view for the next setFOV().
TEST_F(EngineTest, ThePerspectiveHasTheWindowsAspectNearPoint1AndFar100) {
    auto projection = [] {
        std::vector<GLfloat> m(16);
        glGetFloatv(GL_PROJECTION_MATRIX, m.data());
        return m;
    };
    g_engine->setFOV(90);
    g_engine->setFOV();
    std::vector<GLfloat> m = projection();
    EXPECT_NEAR(m[5], 1.0f, 1e-5f);            // cot(45 degrees)
    EXPECT_NEAR(m[0], 1.0f / (640.0f / 480.0f), 1e-5f);
    const double nearPlane = 0.1f, farPlane = 100;
    EXPECT_NEAR(m[10], (farPlane + nearPlane) / (nearPlane - farPlane), 1e-5);
    EXPECT_NEAR(m[14], 2 * farPlane * nearPlane / (nearPlane - farPlane), 1e-5);
    g_engine->changeFOV(60);
    EXPECT_NEAR(projection()[5], 1.0f / std::tan(30 * M_PI / 180), 1e-5);
    g_engine->setFOV();
    EXPECT_NEAR(projection()[5], 1.0f, 1e-5f) << "changeFOV changed the stored field of view";
}

// cls and fill clear only the band, to black; fill's colour becomes the drawing colour.
TEST_F(EngineTest, ClearingClearsTheBandToBlackAndFillSetsTheDrawingColour) {
    WhiteSlot();
    g_engine->setWideScreen(640, 256);
    glDisable(GL_SCISSOR_TEST);
    g_engine->sprite(0, -112, 640, 480, 0);  // white over the whole window
    glEnable(GL_SCISSOR_TEST);
    g_engine->fill(1, 0, 0);
    EXPECT_EQ(test::PixelAt(320, 240).r, 0);
    EXPECT_EQ(test::PixelAt(320, 50).r, 255) << "the clear reached outside the band";
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 0.0f);
}

TEST_F(EngineTest, ProjectionsLeaveDepthAndCullingAloneWithoutDefaults) {
    g_engine->disableDefault();
    g_engine->setFOV(65);
    g_engine->setFOV();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    g_engine->changeFOV(90);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    g_engine->EnableFeatures(kDepthTest);
    g_engine->set2D();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    g_engine->enableDefault();
    g_engine->setFOV();
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(EngineTest, RawLayoutsFollowTheSettingsInForce) {
    g_engine->InitTextures(4);
    std::string grey = WriteFile("grey.raw", std::string("\x00\xff", 2));
    g_engine->GSTexture();
    g_engine->useAlphaMap();
    g_engine->loadTexture(grey.c_str(), 2, 1, 0);
    EXPECT_EQ(TextureBytes(0, GL_RGBA, 8), (std::vector<unsigned char>{0, 0, 0, 0, 255, 255, 255, 255}));
    g_engine->noAlphaMap();
    g_engine->loadTexture(grey.c_str(), 2, 1, 1);
    EXPECT_EQ(TextureBytes(1, GL_RGB, 6), (std::vector<unsigned char>{0, 0, 0, 255, 255, 255}));

    // A 3-byte file read under the alpha layout is misread, and what it lacks is zero.
    g_engine->InitTextures(4);
    g_engine->useAlphaMap();
    std::string colour = WriteFile("colour.raw", "\x10\x20\x30\x40\x50\x60");
    g_engine->loadTexture(colour.c_str(), 2, 1, 2);
    EXPECT_EQ(TextureBytes(2, GL_RGBA, 8), (std::vector<unsigned char>{0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0}));
    EXPECT_TRUE(NewBoxes().empty());
}

TEST_F(EngineTest, MissingFilesShowTheirLayoutsMessage) {
    g_engine->InitTextures(2);
    g_engine->loadTexture("images\\nothing.raw", 4, 4, 0);
    g_engine->GSTexture();
    EXPECT_TRUE(g_engine->loadTexture("images\\nothing.raw", 4, 4, 1));
    EXPECT_EQ(NewBoxes(), (std::vector<std::string>{"Can't open image file!", "Can't open raw image file!"}));
    EXPECT_EQ(TextureBytes(1, GL_RGB, 48), std::vector<unsigned char>(48, 0));
}

TEST_F(EngineTest, MipmapFilterBuildsTheWholeChain) {
    g_engine->InitTextures(1);
    g_engine->GSTexture();
    g_engine->TextureMipmap();
    std::vector<unsigned char> ring(64 * 64, 200);
    g_engine->MakeTexture(ring.data(), 0, 64, 64);
    GLint width = 0, minFilter = 0, magFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 6, GL_TEXTURE_WIDTH, &width);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

TEST_F(EngineTest, TextureNamesAndSlotBounds) {
    g_engine->InitTextures(52);
    EXPECT_TRUE(g_engine->addTextureName("tausta01", 0));
    EXPECT_FALSE(g_engine->addTextureName("tausta01", 5));
    g_engine->useTexture("tausta01");
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    g_engine->useTexture(0);
    GLint slotZero = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &slotZero);
    EXPECT_EQ(bound, slotZero);

    g_engine->useTexture(51);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    g_engine->useTexture("g01");
    g_engine->useTexture(52);
    g_engine->useTexture(-1);
    g_engine->useTexture(-2147483647 - 1);
    GLint after = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &after);
    EXPECT_EQ(after, bound);
    EXPECT_EQ(NewBoxes(), (std::vector<std::string>{"Texture name \"tausta01\" already in use.",
                                                    "Did not find texture name \"g01\"", "Texture number out of bounds!",
                                                    "Texture number out of bounds!", "Texture number out of bounds!"}));
}

TEST_F(EngineTest, GreyUploadsWithAlphaMapOnStayThreeBytesAPixel) {
    g_engine->InitTextures(51);
    g_engine->GSTexture();
    g_engine->useAlphaMap();
    std::vector<unsigned char> noise(256 * 128, 0x80);
    g_engine->MakeTexture(noise.data(), 50, 256, 128);
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_TRUE(format == GL_RGB || format == 3 || format == GL_RGB8) << format;
    EXPECT_EQ(TextureBytes(50, GL_RGB, 3 * 256 * 128)[4], 0x80);
}

// One R3D record: a square of side 2 at z = 0, facing the viewer, and its
// counts as given (vertices, faces, normals, texture coordinates).
std::string Square(float x, int indexOffset = 0, bool normals = true, bool texture = true) {
    std::string out;
    auto put = [&](uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    auto putf = [&](float f) { out.append(reinterpret_cast<const char*>(&f), 4); };
    put(4);
    put(2);
    put(normals ? 1 : 0);
    put(texture ? 4 : 0);
    put(2);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (auto& c : corners) {
        putf(x + c[0] * 0.5f);
        putf(c[1] * 0.5f);
        putf(0);
    }
    for (uint32_t i : {0u, 2u, 1u, 0u, 3u, 2u}) put(i + static_cast<uint32_t>(indexOffset));
    if (texture)
        for (auto& c : corners) {
            putf(c[0]);
            putf(c[1]);
        }
    if (normals)
        for (int i = 0; i < 4; ++i) {
            putf(0);
            putf(0);
            putf(1);
        }
    return out;
}

class MeshTest : public EngineTest {
protected:
    // Compiles the meshes of a list and data file written on the spot.
    void Load(const std::string& list, const std::string& data) {
        listPath = WriteFile("r3d.log", list);
        dataPath = WriteFile("objects.r3d", data);
        g_engine->setObjectListFile(listPath.c_str());
        g_engine->set3DDataFile(dataPath.c_str());
        g_engine->InitObjects(0);
        g_engine->readListFile();
        g_engine->loadObjects();
        g_engine->cls();
        g_engine->setFOV(90);
        g_engine->setFOV();
        glDisable(GL_CULL_FACE);
        glColor3f(1, 1, 1);
    }
    // Which of the left and right squares (at x -1 and +1, z -2) the mesh drew.
    std::pair<bool, bool> Draw(const std::string& name) {
        g_engine->fill(0, 0, 0);
        glClear(GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 1, 1);
        glLoadIdentity();
        glTranslatef(0, 0, -2);
        g_engine->drawObject(name);
        return {test::PixelAt(160, 240).r > 0, test::PixelAt(480, 240).r > 0};
    }
    std::string listPath, dataPath;
};

TEST_F(MeshTest, ObjectListEdgeCases) {
    std::string left = Square(-1), right = Square(1);
    std::string offset = std::to_string(left.size());
    Load("dup 0\ndup " + offset + "\nnameonly\n\ncomment 0 trailing words\r\ncrlf " + offset + "\r\nlast 0", left + right);
    EXPECT_EQ(Draw("dup"), std::make_pair(false, true));
    EXPECT_EQ(Draw("comment"), std::make_pair(true, false));
    EXPECT_EQ(Draw("crlf"), std::make_pair(false, true));
    EXPECT_EQ(Draw("last"), std::make_pair(true, false));
    EXPECT_EQ(Draw("nameonly"), std::make_pair(false, false));
    EXPECT_EQ(Draw("never listed"), std::make_pair(false, false));
    EXPECT_TRUE(NewBoxes().empty());
}

TEST_F(MeshTest, AnOverlongLineEndsTheList) {
    Load("first 0\n" + std::string(100, 'x') + " 0\nafter 0\n", Square(-1));
    EXPECT_EQ(Draw("first"), std::make_pair(true, false));
    EXPECT_EQ(Draw("after"), std::make_pair(false, false));
}

// A NUL byte cuts its own line short (here "broken" loses its offset) and no other.
TEST_F(MeshTest, ANulByteEndsItsLineOnly) {
    std::string left = Square(-1), right = Square(1);
    Load(std::string("first 0\nbroken") + '\0' + " 0 junk\nafter " + std::to_string(left.size()) + "\n", left + right);
    EXPECT_EQ(Draw("first"), std::make_pair(true, false));
    EXPECT_EQ(Draw("broken"), std::make_pair(false, false));
    EXPECT_EQ(Draw("after"), std::make_pair(false, true));
}

// Display lists alive in this test's fresh context.
int LiveDisplayLists() {
    GLuint next = glGenLists(1);
    glDeleteLists(next, 1);
    int live = 0;
    for (GLuint id = 1; id < next; ++id) live += glIsList(id) ? 1 : 0;
    return live;
}

// A name listed twice is one mesh, the later line's: the display list made
// for the earlier line is released at once, and freeing the meshes releases
// the later one.
TEST_F(MeshTest, ANameListedTwiceIsTheLaterLinesMeshAndNothingLeaks) {
    std::string left = Square(-1), right = Square(1);
    Load("twice 0\ntwice " + std::to_string(left.size()) + "\n", left + right);
    EXPECT_EQ(Draw("twice"), std::make_pair(false, true));
    EXPECT_EQ(LiveDisplayLists(), 1);
    g_engine->FreeObjects();
    EXPECT_EQ(LiveDisplayLists(), 0);
}

TEST_F(MeshTest, RecordsWithoutNormalsOrTextureStillDraw) {
    std::string bare = Square(-1, 0, false, false);
    Load("bare 0\n", bare);
    EXPECT_EQ(Draw("bare"), std::make_pair(true, false));
    EXPECT_TRUE(NewBoxes().empty());
}

TEST_F(MeshTest, RecordsThatDoNotFitAreReportedAndLeftEmpty) {
    std::string good = Square(-1), badIndex = Square(1, 10), truncated = Square(1).substr(0, 40);
    std::string data = good + badIndex + truncated;
    Load("good 0\nindex " + std::to_string(good.size()) + "\npast 999999\nnegative -20\ntruncated " +
             std::to_string(good.size() + badIndex.size()) + "\n",
         data);
    EXPECT_EQ(Draw("good"), std::make_pair(true, false));
    for (const char* name : {"index", "past", "negative", "truncated"}) EXPECT_EQ(Draw(name), std::make_pair(false, false)) << name;
    EXPECT_EQ(NewBoxes().size(), 4u);
}

TEST_F(MeshTest, MissingFilesShowTheirMessages) {
    g_engine->setObjectListFile("objects\\none.log");
    g_engine->readListFile();
    Load("a 0\nb 0\n", "");
    std::filesystem::remove(dataPath);
    g_engine->loadObjects();
    std::vector<std::string> boxes = NewBoxes();
    ASSERT_GE(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], "Could not open object list file!");
    EXPECT_EQ(boxes[boxes.size() - 1], "Could not open R3D file");
    EXPECT_EQ(boxes[boxes.size() - 2], "Could not open R3D file");
}

// The list read again replaces the bank: names move, a name gone draws
// nothing, and nothing leaks. A list naming a record the file cannot hold
// changes nothing.
TEST_F(MeshTest, AListReadAgainReplacesTheBankOnlyWhenItReadsWhole) {
    std::string left = Square(-1), right = Square(1);
    std::string rightAt = std::to_string(left.size());
    Load("moved 0\ngone 0\n", left + right);
    std::string problem;
    WriteFile("r3d.log", "moved " + rightAt + "\nnew 0\n");
    ASSERT_TRUE(g_engine->ReloadObjectList(&problem)) << problem;
    EXPECT_EQ(Draw("moved"), std::make_pair(false, true));
    EXPECT_EQ(Draw("new"), std::make_pair(true, false));
    EXPECT_EQ(Draw("gone"), std::make_pair(false, false));
    EXPECT_EQ(LiveDisplayLists(), 2);

    WriteFile("r3d.log", "moved 0\nnew 999999\n");
    EXPECT_FALSE(g_engine->ReloadObjectList(&problem));
    EXPECT_EQ(problem, "Bad R3D record at offset 999999: it does not fit the file");
    EXPECT_EQ(Draw("moved"), std::make_pair(false, true));
    EXPECT_EQ(Draw("new"), std::make_pair(true, false));
    EXPECT_TRUE(NewBoxes().empty());
}

TEST_F(EngineTest, LightsReachGlAndKeepTheirOwnValues) {
    Lighting& light = g_engine->light;
    light.SetAmbient(1, 0, 0, GL_LIGHT0);
    light.SetAmbient(0.2f, 0.2f, 0.2f, GL_LIGHT1);
    GLfloat ambient[4];
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 1);
    EXPECT_FLOAT_EQ(ambient[1], 0);
    EXPECT_FLOAT_EQ(light.ambient[0], 0.2f);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    light.SetPosition(1, 2, 3, GL_LIGHT0);
    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_FLOAT_EQ(position[2], 3);
    EXPECT_FLOAT_EQ(position[3], 1);

    light.SetMaterial(0.4f, 0.05f, 0.8f, GL_SPECULAR);
    GLfloat specular[4];
    glGetMaterialfv(GL_BACK, GL_SPECULAR, specular);
    EXPECT_FLOAT_EQ(specular[2], 0.8f);

    light.SetShininess(90);
    light.SetShininess(165);
    GLfloat shininess = 0;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(shininess, 90);
    EXPECT_FLOAT_EQ(light.shininess, 165);
}

TEST_F(EngineTest, GlyphFilesLoadWhatIsThereAndZeroTheRest) {
    std::string full(256, '\x7f');
    unsigned char* glyph = g_engine->LoadGlyphImage(WriteFile("dot.raw", full).c_str(), 256);
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(glyph), 256), full);
    delete[] glyph;
    glyph = g_engine->LoadGlyphImage(WriteFile("short.raw", "\x01\x02").c_str(), 256);
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(glyph[1], 2);
    EXPECT_EQ(glyph[2], 0);
    EXPECT_EQ(glyph[255], 0);
    delete[] glyph;
    EXPECT_EQ(g_engine->LoadGlyphImage("images\\missing.raw", 256), nullptr);
    EXPECT_TRUE(NewBoxes().empty());
}

TEST_F(EngineTest, WindowsPathsOpenWhateverTheCase) {
    std::filesystem::create_directories(test::TempDir() + "/Images");
    std::ofstream(test::TempDir() + "/Images/Glyph.RAW", std::ios::binary) << "abc";
    std::string path = test::TempDir() + "/images\\glyph.raw";
    unsigned char* glyph = g_engine->LoadGlyphImage(path.c_str(), 4);
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(glyph[0], 'a');
    delete[] glyph;
}

}  // namespace
