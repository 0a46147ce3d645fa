// The program's GL on OpenGL ES 3.0 shaders. The matrix arithmetic against
// values worked out by hand; then, drawn headless on an ES 3.0 context and
// read back: GL 1.1's lighting at chosen points (the light's w, specular,
// the modelview of the moment, GL_NORMALIZE, the material's ambient and
// diffuse set together), flat shading, the texture matrix, mipmaps, and a
// display list that keeps its own copy of the arrays and replays alike.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gl/backend.h"
#include "gl/es3/matrix.h"
#include "platform/runtime.h"
#include "base/frame_costs.h"
#include "support.h"

namespace {

using namespace platform::gl::es3;

void ExpectVector(Vector4 v, float x, float y, float z, float w) {
    EXPECT_NEAR(v.x, x, 1e-5);
    EXPECT_NEAR(v.y, y, 1e-5);
    EXPECT_NEAR(v.z, z, 1e-5);
    EXPECT_NEAR(v.w, w, 1e-5);
}

// Each way of drawing carries out every call of the list: an empty entry
// would be a call to nothing in the middle of the show.
TEST(GlBackendTest, EveryBackendFillsEveryCallAndSaysWhetherItsShadersDraw) {
    const platform::gl::Backend& fixed = platform::gl::FixedFunction();
    const platform::gl::Backend& es3 = platform::gl::Es3();
    for (const platform::gl::Backend* backend : {&fixed, &es3}) {
        const char* name = backend == &fixed ? "fixed function" : "shaders";
        EXPECT_NE(backend->contextCreated, nullptr) << name;
        EXPECT_NE(backend->contextDeleting, nullptr) << name;
        EXPECT_NE(backend->drawPending, nullptr) << name;
#define PQN_EXPECT_FILLED(returnType, Name, glName, parameters, arguments) \
    EXPECT_NE(backend->Name, nullptr) << name << " leaves " #glName " empty";
        PQN_GL_BACKEND_CALLS(PQN_EXPECT_FILLED)
#undef PQN_EXPECT_FILLED
    }
    EXPECT_FALSE(fixed.shaders);
    EXPECT_TRUE(es3.shaders);
}

TEST(Es3MatrixTest, RotationsTurnCounterClockwiseAboutTheirAxis) {
    ExpectVector(Transform(Rotation(90, 0, 0, 1), {1, 0, 0, 1}), 0, 1, 0, 1);
    ExpectVector(Transform(Rotation(90, 1, 0, 0), {0, 1, 0, 1}), 0, 0, 1, 1);
    // A third of a turn about the diagonal takes x to y; the axis needs no unit length.
    ExpectVector(Transform(Rotation(120, 2, 2, 2), {1, 0, 0, 1}), 0, 1, 0, 1);
    ExpectVector(Transform(Rotation(30, 0, 0, 0), {1, 2, 3, 1}), 1, 2, 3, 1);
}

TEST(Es3MatrixTest, TransformsApplyInTheOrderGlMultipliesThem) {
    // glTranslatef(1, 2, 3); glScalef(2, 2, 2): the scale acts on the point first.
    ExpectVector(Transform(Multiply(Translation(1, 2, 3), Scaling(2, 2, 2)), {1, 1, 1, 1}), 3, 4, 5, 1);
    ExpectVector(Transform(Multiply(Scaling(2, 2, 2), Translation(1, 2, 3)), {1, 1, 1, 1}), 4, 6, 8, 1);
}

TEST(Es3MatrixTest, ProjectionsMapTheirBoundsOntoTheEdgesOfClipSpace) {
    Matrix4 perspective = Perspective(90, 2, 1, 3);
    // cot(45 degrees) = 1 over the aspect; the near plane to -1, the far one to +1.
    EXPECT_FLOAT_EQ(perspective.m[0], 0.5f);
    EXPECT_FLOAT_EQ(perspective.m[5], 1);
    ExpectVector(Transform(perspective, {2, 1, -1, 1}), 1, 1, -1, 1);
    ExpectVector(Transform(perspective, {6, 3, -3, 1}), 3, 3, 3, 3);
    // The window's pixels, y down, onto clip space.
    Matrix4 window = Ortho2D(0, 640, 480, 0);
    ExpectVector(Transform(window, {0, 0, 0, 1}), -1, 1, 0, 1);
    ExpectVector(Transform(window, {640, 480, 0, 1}), 1, -1, 0, 1);
    ExpectVector(Transform(window, {160, 360, 0, 1}), -0.5f, -0.5f, 0, 1);
    // A projection with no depth leaves the matrix as it was, as GLU does.
    ExpectVector(Transform(Perspective(90, 2, 1, 1), {1, 2, 3, 1}), 1, 2, 3, 1);
}

TEST(Es3MatrixTest, NormalsTurnWithTheInverseTransposeOfTheModelview) {
    auto expect3 = [](const Matrix3& m, std::initializer_list<float> columns) {
        int i = 0;
        for (float value : columns) EXPECT_NEAR(m.m[i++], value, 1e-6) << "element " << i - 1;
    };
    expect3(NormalMatrix(Scaling(2, 4, 1)), {0.5f, 0, 0, 0, 0.25f, 0, 0, 0, 1});
    // A shear x' = x + y: the plane y = 0 keeps its normal only if it leans back.
    Matrix4 shear = Identity();
    shear.m[4] = 1;
    expect3(NormalMatrix(shear), {1, -1, 0, 0, 1, 0, 0, 0, 1});
    // A turn is its own inverse transpose; a translation does not touch normals.
    Matrix4 turn = Multiply(Translation(5, 6, 7), Rotation(90, 0, 0, 1));
    expect3(NormalMatrix(turn), {0, 1, 0, -1, 0, 0, 0, 0, 1});
    expect3(NormalMatrix(Scaling(1, 0, 1)), {0, 0, 0, 0, 0, 0, 0, 0, 0});
}

// Drawing on an OpenGL ES 3.0 context: the platform headless with --gl es3,
// a fresh engine for each test. With PQN_GL=fixed in the environment the
// same tests draw with the driver's own fixed function (ctest runs them so
// as fixed_function.GlDrawTest.*), where the values worked out by hand hold too.
bool OnFixedFunction() {
    const char* gl = std::getenv("PQN_GL");
    return gl && std::string(gl) == "fixed";
}

class GlDrawTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::RunOptions options;
        options.headless = true;
        options.gl = OnFixedFunction() ? platform::GlWay::kFixedFunction : platform::GlWay::kEs3;
        platform::Configure(options);
    }
    void SetUp() override {
        ::OpenEngine(1, nullptr, 1);
        ASSERT_NE(g_engine, nullptr);
        std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        ASSERT_EQ(version.rfind("OpenGL ES 3.", 0) == 0, !OnFixedFunction()) << version;
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override { test::CloseEngine(); }
};

// A quad over the whole window, in clip space, its normal the current one (0 0 1).
void WindowQuad() {
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex3f(-1, -1, 0);
    glTexCoord2i(1, 0);
    glVertex3f(1, -1, 0);
    glTexCoord2i(1, 1);
    glVertex3f(1, 1, 0);
    glTexCoord2i(0, 1);
    glVertex3f(-1, 1, 0);
    glEnd();
}

void SetLight(GLenum light, GLenum pname, float r, float g, float b, float a) {
    const float values[4] = {r, g, b, a};
    glLightfv(light, pname, values);
}

void SetMaterial(GLenum pname, float r, float g, float b) {
    const float values[4] = {r, g, b, 1};
    glMaterialfv(GL_FRONT_AND_BACK, pname, values);
}

void ExpectPixel(test::Rgb pixel, int r, int g, int b) {
    EXPECT_NEAR(pixel.r, r, 1);
    EXPECT_NEAR(pixel.g, g, 1);
    EXPECT_NEAR(pixel.b, b, 1);
}

// One light, material ambient 0.2, diffuse (0.6 0.4 0.2), specular 0.5,
// shininess 4, the scene's ambient GL's 0.2.
void LightQuadWithLight0(float ambient) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    SetLight(GL_LIGHT0, GL_AMBIENT, ambient, ambient, ambient, 1);
    SetLight(GL_LIGHT0, GL_DIFFUSE, 1, 1, 1, 1);
    SetLight(GL_LIGHT0, GL_SPECULAR, 1, 1, 1, 1);
    SetMaterial(GL_AMBIENT, 0.2f, 0.2f, 0.2f);
    SetMaterial(GL_DIFFUSE, 0.6f, 0.4f, 0.2f);
    SetMaterial(GL_SPECULAR, 0.5f, 0.5f, 0.5f);
    const float shininess = 4;
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, &shininess);
}

// A light at (0 0 1), set through a modelview that moves it there, lights the
// quad's four corners alike: towards it, n.L = 1/sqrt 3 = 0.57735; the half
// vector gives n.H = 1.57735 / 1.77615 = 0.88807, to the 4th 0.62200. Colour:
// 0.04 scene + 0.1 x 0.2 ambient + 0.57735 diffuse + 0.62200 x 0.5 specular.
TEST_F(GlDrawTest, APointLightLightsAsGlDefinesWithItsSpecularHighlight) {
    LightQuadWithLight0(0.1f);
    glTranslatef(0, 0, 3);
    SetLight(GL_LIGHT0, GL_POSITION, 0, 0, -2, 1);
    glLoadIdentity();
    WindowQuad();
    // (0.71741 0.60194 0.48647) x 255
    ExpectPixel(test::PixelAt(320, 240), 183, 153, 124);
}

// A light with w = 0 shines from the direction (0 1 1) onto every corner:
// n.L = 0.70711, n.H = 1.70711 / 1.84776 = 0.92388, to the 4th 0.72855.
// Colour: 0.04 + 0.70711 diffuse + 0.72855 x 0.5 specular.
TEST_F(GlDrawTest, ADirectionalLightShinesFromItsDirectionEverywhere) {
    LightQuadWithLight0(0);
    SetLight(GL_LIGHT0, GL_POSITION, 0, 1, 1, 0);
    WindowQuad();
    // (0.82854 0.68712 0.54570) x 255, the same in the middle and near a corner
    ExpectPixel(test::PixelAt(320, 240), 211, 175, 139);
    ExpectPixel(test::PixelAt(20, 20), 211, 175, 139);
}

// The second light alone, the material's ambient and diffuse set at once to
// 0.5: 0.5 x 0.2 scene + 0.5 x 0.2 light ambient + 0.5 x 0.9 diffuse = 0.65.
// Then the modelview stretches z by 4: unnormalised, the normal is a quarter
// long and so is the diffuse light (0.1 + 0.1 + 0.1125).
TEST_F(GlDrawTest, TheSecondLightAmbientAndDiffuseTogetherAndNormalising) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    glEnable(GL_NORMALIZE);
    SetLight(GL_LIGHT1, GL_AMBIENT, 0.2f, 0.2f, 0.2f, 1);
    SetLight(GL_LIGHT1, GL_DIFFUSE, 0.9f, 0.9f, 0.9f, 1);
    SetLight(GL_LIGHT1, GL_POSITION, 0, 0, 1, 0);
    SetMaterial(GL_AMBIENT_AND_DIFFUSE, 0.5f, 0.5f, 0.5f);
    glScalef(1, 1, 4);
    WindowQuad();
    ExpectPixel(test::PixelAt(320, 240), 166, 166, 166);
    glDisable(GL_NORMALIZE);
    WindowQuad();
    ExpectPixel(test::PixelAt(320, 240), 80, 80, 80);
}

// Flat shading colours each triangle of a quad with the quad's last vertex.
TEST_F(GlDrawTest, FlatShadingTakesTheQuadsLastVertex) {
    glShadeModel(GL_FLAT);
    glBegin(GL_QUADS);
    glColor3f(1, 0, 0);
    glVertex3f(-1, -1, 0);
    glColor3f(0, 1, 0);
    glVertex3f(1, -1, 0);
    glColor3f(0, 0, 1);
    glVertex3f(1, 1, 0);
    glColor3f(1, 1, 1);
    glVertex3f(-1, 1, 0);
    glEnd();
    for (int x : {40, 600}) ExpectPixel(test::PixelAt(x, 240), 255, 255, 255);
    glShadeModel(GL_SMOOTH);
    glColor3f(1, 1, 1);
}

// A texture of four texels in a row, red red green green, drawn over the
// window: a quarter of the way across is red, until the texture matrix moves
// the texture half its width.
TEST_F(GlDrawTest, TheTextureMatrixMovesTheTexture) {
    const unsigned char texels[] = {255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 255, 0};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 4, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    WindowQuad();
    ExpectPixel(test::PixelAt(160, 240), 255, 0, 0);
    glMatrixMode(GL_TEXTURE);
    glTranslatef(0.5f, 0, 0);
    glMatrixMode(GL_MODELVIEW);
    WindowQuad();
    ExpectPixel(test::PixelAt(160, 240), 0, 255, 0);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDeleteTextures(1, &texture);
}

// Texturing on with no texture image (the default texture, or one whose
// mipmaps were never made) draws the colour alone, as if texturing were off.
TEST_F(GlDrawTest, AnIncompleteTextureLeavesTexturingOff) {
    glEnable(GL_TEXTURE_2D);
    glColor3f(0.2f, 0.6f, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    WindowQuad();
    ExpectPixel(test::PixelAt(320, 240), 51, 153, 255);
    const unsigned char white[] = {255, 255, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, white);
    glClear(GL_COLOR_BUFFER_BIT);
    WindowQuad();
    ExpectPixel(test::PixelAt(320, 240), 51, 153, 255);
    glDeleteTextures(1, &texture);
}

// A 64x64 chequerboard of single texels, mipmapped and drawn 8x8 pixels
// large: it reads from its 8x8 copy, every texel of which is half grey.
TEST_F(GlDrawTest, AMipmappedTextureDrawnSmallShowsItsAverage) {
    std::vector<unsigned char> board(64 * 64 * 3);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c) board[(y * 64 + x) * 3 + c] = (x + y) % 2 ? 255 : 0;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 64, 64, GL_RGB, GL_UNSIGNED_BYTE, board.data()), 0);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glMatrixMode(GL_PROJECTION);
    gluOrtho2D(0, 640, 480, 0);
    glMatrixMode(GL_MODELVIEW);
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex2i(0, 0);
    glTexCoord2i(1, 0);
    glVertex2i(8, 0);
    glTexCoord2i(1, 1);
    glVertex2i(8, 8);
    glTexCoord2i(0, 1);
    glVertex2i(0, 8);
    glEnd();
    for (int at : {1, 4, 6}) ExpectPixel(test::PixelAt(at, at), 128, 128, 128);
    glDeleteTextures(1, &texture);
}

// A rectangle in clip space, in the current colour.
void ClipRectangle(float x0, float y0, float x1, float y1) {
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, 0);
    glVertex3f(x1, y0, 0);
    glVertex3f(x1, y1, 0);
    glVertex3f(x0, y1, 0);
    glEnd();
}

// Primitives drawn alike reach the driver as one draw on the shader path
// and look as they would one by one; a change of state between two of them
// (a matrix, a switch, the texture) applies to the second only, and what is
// left of an unfinished triangle draws nothing and does not shift the next.
TEST_F(GlDrawTest, PrimitivesDrawnAlikeGoAsOneDrawAndAChangeBetweenThemAppliesAfterIt) {
    uint64_t drawsBefore = platform::base::costs::Counted().draws;
    glColor3f(1, 0, 0);
    ClipRectangle(-1, 0, 0, 1);  // upper left
    glColor3f(0, 1, 0);
    ClipRectangle(0, 0, 1, 1);  // upper right
    glFlush();
    if (!OnFixedFunction()) {
        EXPECT_EQ(platform::base::costs::Counted().draws - drawsBefore, 1u);
    }
    ExpectPixel(test::PixelAt(160, 120), 255, 0, 0);
    ExpectPixel(test::PixelAt(480, 120), 0, 255, 0);

    glColor3f(0, 0, 1);
    ClipRectangle(-1, -1, -0.5f, 0);  // lower left, before the matrix moves
    glTranslatef(1.5f, 0, 0);
    ClipRectangle(-1, -1, -0.5f, 0);  // moved to the lower right
    glLoadIdentity();
    ExpectPixel(test::PixelAt(80, 360), 0, 0, 255);
    ExpectPixel(test::PixelAt(560, 360), 0, 0, 255);
    ExpectPixel(test::PixelAt(320, 360), 0, 0, 0);

    unsigned char grey[4] = {128, 128, 128, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, grey);
    glColor3f(1, 1, 1);
    ClipRectangle(-0.5f, -1, 0, 0);  // untextured: white
    glEnable(GL_TEXTURE_2D);
    ClipRectangle(0, -1, 0.5f, 0);  // textured: grey
    glDisable(GL_TEXTURE_2D);
    ExpectPixel(test::PixelAt(240, 360), 255, 255, 255);
    ExpectPixel(test::PixelAt(400, 360), 128, 128, 128);
    glDeleteTextures(1, &texture);

    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 0);
    glBegin(GL_TRIANGLES);  // two corners of a triangle over the lower right
    glVertex3f(-1, -1, 0);
    glVertex3f(1, -1, 0);
    glEnd();
    ClipRectangle(-1, 0, 0, 1);
    ExpectPixel(test::PixelAt(160, 120), 255, 255, 0);
    ExpectPixel(test::PixelAt(480, 360), 0, 0, 0);
    ExpectPixel(test::PixelAt(480, 120), 0, 0, 0);
}

// Quads drawn from arrays by their indices are quads, as from glBegin: a
// quad over the window's left half, its corners given in turn.
TEST_F(GlDrawTest, QuadsDrawnByTheirIndicesCoverTheirQuad) {
    const float corners[] = {-1, -1, 0, 0, -1, 0, 0, 1, 0, -1, 1, 0};
    const GLuint indices[] = {0, 1, 2, 3};
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, corners);
    glColor3f(1, 1, 1);
    glDrawElements(GL_QUADS, 4, GL_UNSIGNED_INT, indices);
    glDisableClientState(GL_VERTEX_ARRAY);
    for (int y : {40, 240, 440}) ExpectPixel(test::PixelAt(160, y), 255, 255, 255);
    ExpectPixel(test::PixelAt(40, 40), 255, 255, 255);
    ExpectPixel(test::PixelAt(480, 240), 0, 0, 0);
}

// A list keeps the arrays as they were when it was recorded: a triangle over
// the window's lower left half, drawn twice, alike, after the array has changed.
TEST_F(GlDrawTest, ADisplayListRecordedOnceReplaysAlikeFromItsOwnCopy) {
    float corners[] = {-1, -1, 0, 1, -1, 0, -1, 1, 0};
    const GLuint indices[] = {0, 1, 2};
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, corners);
    glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_INT, indices);
    glEndList();
    glDisableClientState(GL_VERTEX_ARRAY);
    for (float& value : corners) value = 0;
    auto frame = [list] {
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(0.2f, 0.6f, 1);
        glCallList(list);
        std::vector<unsigned char> pixels(640 * 480 * 4);
        glFlush();
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    std::vector<unsigned char> first = frame(), second = frame();
    EXPECT_EQ(first, second);
    ExpectPixel(test::PixelAt(100, 400), 51, 153, 255);
    ExpectPixel(test::PixelAt(540, 80), 0, 0, 0);
    glDeleteLists(list, 1);
}


// A lit square (two triangles, normal 0 0 1) recorded from arrays into a list.
GLuint LitSquareList() {
    static const float corners[] = {-0.2f, -0.2f, 0, 0.2f, -0.2f, 0, 0.2f, 0.2f, 0, -0.2f, 0.2f, 0};
    static const float normals[] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    const GLuint indices[] = {0, 1, 2, 0, 2, 3};
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, corners);
    glNormalPointer(GL_FLOAT, 0, normals);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, indices);
    glEndList();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    return list;
}

// Replays of a list, each under its own transform, lit by a light that sits
// still in eye space: turned and stretched ones light as when each is drawn
// alone, and all of them go as one draw; unlit, each keeps the colour it was
// called with. A lone replay keeps its own transform though the modelview
// changes before it is drawn.
TEST_F(GlDrawTest, ReplaysOfAListUnderTheirOwnTransformsDrawAsEachWouldAlone) {
    GLuint list = LitSquareList();
    LightQuadWithLight0(0.1f);
    SetLight(GL_LIGHT0, GL_POSITION, 0.3f, 0.2f, 1, 1);
    auto replays = [list](bool eachAlone) {
        glClear(GL_COLOR_BUFFER_BIT);
        for (int i = 0; i < 4; ++i) {
            glLoadIdentity();
            glTranslatef(-0.6f + 0.4f * i, 0.5f, 0);
            glRotatef(25.0f * i, 0.3f, 1, 0);
            glScalef(1, 1 + 0.5f * i, 2);
            glCallList(list);
            if (eachAlone) glFlush();
        }
        glLoadIdentity();
        glFlush();
        std::vector<unsigned char> pixels(640 * 480 * 4);
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    std::vector<unsigned char> alone = replays(true);
    uint64_t drawsBefore = platform::base::costs::Counted().draws;
    std::vector<unsigned char> together = replays(false);
    if (!OnFixedFunction()) {
        EXPECT_EQ(platform::base::costs::Counted().draws - drawsBefore, 1u);
    }
    size_t lit = 0, differing = 0;
    for (size_t i = 0; i < alone.size(); ++i) {
        lit += alone[i] > 0 && i % 4 == 0;
        differing += std::abs(alone[i] - together[i]) > 1;
    }
    EXPECT_GT(lit, 4000u);
    EXPECT_EQ(differing, 0u);

    glDisable(GL_LIGHTING);
    glClear(GL_COLOR_BUFFER_BIT);
    glTranslatef(-0.5f, -0.5f, 0);
    glColor3f(1, 0, 0);
    glCallList(list);
    glLoadIdentity();
    glTranslatef(0.5f, -0.5f, 0);
    glColor3f(0, 1, 0);
    glCallList(list);
    glLoadIdentity();
    ExpectPixel(test::PixelAt(160, 360), 255, 0, 0);
    ExpectPixel(test::PixelAt(480, 360), 0, 255, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glTranslatef(0.5f, 0.5f, 0);
    glColor3f(0, 0, 1);
    glCallList(list);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    ExpectPixel(test::PixelAt(480, 120), 0, 0, 255);
    ExpectPixel(test::PixelAt(320, 240), 0, 0, 0);
    glDeleteLists(list, 1);
}

}  // namespace
