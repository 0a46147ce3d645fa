// The state the shader path keeps for the fixed-function GL it stands for:
// the three matrices, the current colour, texture coordinate and normal,
// two lights and the material, the switches GL's fixed function has and
// ES 3.0 does not, the client arrays, the vertices between glBegin and
// glEnd gathered into one draw, the display lists as buffers on the GPU,
// and the replays of lists waiting to be drawn together. Plain data; the calls
// in es3_calls.cpp and draw.cpp change it, programs.cpp hands it to the shaders.
#pragma once

#include <GLES3/gl3.h>

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "gl/es3/matrix.h"

namespace platform::gl::es3 {

// GL 1.1's names that ES 3.0 does not have.
constexpr GLenum kQuads = 0x0007;
constexpr GLenum kCompile = 0x1300;
constexpr GLenum kModelviewMatrix = 0x1700, kProjectionMatrix = 0x1701, kTextureMatrix = 0x1702;
constexpr GLenum kVertexArray = 0x8074, kNormalArray = 0x8075, kTexCoordArray = 0x8078;
constexpr GLenum kLighting = 0x0B50, kNormalize = 0x0BA1, kLight0 = 0x4000, kLight1 = 0x4001;
constexpr GLenum kAmbient = 0x1200, kDiffuse = 0x1201, kSpecular = 0x1202, kPosition = 0x1203;
constexpr GLenum kShininess = 0x1601, kAmbientAndDiffuse = 0x1602;
constexpr GLenum kFlat = 0x1D00, kSmooth = 0x1D01;

// Shader inputs at fixed locations, the same in every program.
enum AttributeLocation : GLuint { kPositionAttribute = 0, kColorAttribute = 1, kTexCoordAttribute = 2, kNormalAttribute = 3 };

struct Light {
    bool enabled = false;
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};
    float specular[4] = {0, 0, 0, 1};
    float eyePosition[4] = {0, 0, 1, 0};  // transformed by the modelview when it was set
};

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    float specular[4] = {0, 0, 0, 1};
    float emission[4] = {0, 0, 0, 1};
    float shininess = 0;
};

// A rectangle of texels, columns x0 to x1 - 1 and rows y0 to y1 - 1; empty
// when x0 >= x1 or y0 >= y1.
struct TexelBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// What of a picture can change a pixel under a blend that takes the texel's
// alpha as the source factor: `unveiled`, the texels whose alpha is not 0;
// `lit`, those whose colour is not black. Filtering mixes neighbours, so a
// pixel that reads only texels with alpha 0 leaves an over-blend (source
// alpha, one minus it) unchanged, and one that reads only texels with alpha
// 0 or only black ones adds nothing (source alpha, one). Kept as the box
// around each kind, and for each of the picture's cells (kCellsAcross x
// kCellsAcross of them, row by row) whether what is read over it, a texel
// beyond its sides included, holds texels of that kind.
constexpr int kCellsAcross = 8;
using CellSet = std::bitset<kCellsAcross * kCellsAcross>;
struct VisibleTexels {
    bool known = false;  // false: the picture was not read, all of it may show
    TexelBox unveiled, lit;
    CellSet unveiledCells, litCells;
};

// What GL 1.1 needs to know of a texture to tell whether it is complete (a
// texture that is not leaves texturing off: ES would read black from it),
// and what of its picture can show (see quad_trim.h).
struct TextureRecord {
    bool hasImage = false;     // level 0 given
    bool hasMipmaps = false;   // the smaller levels made
    GLint minFilter = 0x2702;  // GL_NEAREST_MIPMAP_LINEAR, GL's default
    int widthPx = 0, heightPx = 0;
    int pictures = 0;  // level-0 pictures given
    VisibleTexels visible;
};

struct ClientArray {
    bool enabled = false;
    GLint size = 0;
    GLsizei stride = 0;
    const float* pointer = nullptr;
};

// A vertex given between glBegin and glEnd.
struct ImmediateVertex {
    float position[4];
    float color[4];
    float texCoord[2];
};

// A vertex of a list's triangles as the arrays gave it (what they did not
// give is zero), and as several replays of lists are drawn together: in eye
// space, with all it is drawn with.
struct ObjectVertex {
    float position[4];
    float normal[3];
    float texCoord[2];
};
struct EyeVertex {
    float position[4];
    float color[4];
    float texCoord[2];
    float normal[3];
};

// One draw a display list replays: its vertices in a buffer of their own,
// with what they carry; what they do not carry comes from the current state.
// A small draw of triangles from arrays keeps them on the CPU as well, so
// that replays under other transforms can be drawn together.
struct ListDraw {
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;  // 0: drawn as arrays
    GLenum mode = GL_TRIANGLES;
    GLsizei count = 0;
    bool hasColors = false;
    bool hasTexCoords = false;
    bool hasNormals = false;
    std::vector<ObjectVertex> triangles;  // empty: replayed from its buffer only
    // The vertices' positions in the order drawn, four floats each, where
    // the draw's pixels are counted (a benchmark run; see pixel_counter.h).
    std::vector<float> positions;
};

// A replay of a list's draw waiting to be drawn: where the draw is, and the
// modelview and current values it was called with.
struct Replay {
    GLuint list = 0;
    size_t draw = 0;
    Matrix4 modelview;
    float color[4];
    float texCoord[2];
    float normal[3];
};

struct State {
    GLenum matrixMode = kModelviewMatrix;
    Matrix4 modelview = Identity(), projection = Identity(), texture = Identity();
    uint64_t transformSerial = 1;  // counts changes of the matrices
    float color[4] = {1, 1, 1, 1};
    float texCoord[2] = {0, 0};
    float normal[3] = {0, 0, 1};

    Light lights[2];
    Material material;
    uint64_t lightingSerial = 1;  // counts changes of the lights and the material
    bool lighting = false;
    bool normalize = false;
    bool texturing = false;
    bool flat = false;
    // ES's own switches and fragment state, kept too for what a draw may leave out.
    bool blending = false, depthTesting = false;
    GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
    GLint unpackAlignment = 4;
    std::map<GLenum, GLint> unpackLayoutOther;  // the other unpacking settings given (row length, skips)

    std::vector<TextureRecord> textures = std::vector<TextureRecord>(1);  // by name, the default texture's first
    GLuint boundTexture = 0;

    ClientArray vertexArray, normalArray, texCoordArray;

    bool inBegin = false;
    GLenum beginMode = 0;
    std::vector<ImmediateVertex> immediate;  // the primitive given while a list is recorded
    // Immediate-mode primitives drawn since the state last changed, which go
    // to the driver together as one draw when it changes (or the frame ends):
    // their vertices as drawn (quads as triangles), the mode they are drawn
    // in (0 when none wait), and where the primitive being given began.
    std::vector<ImmediateVertex> batch;
    GLenum batchMode = 0;
    size_t primitiveStart = 0;
    std::vector<ImmediateVertex> quadCorners;  // room for turning quads into triangles, and for cutting them
    // The corners of the batch's only primitive, when that is one quad (a
    // sprite); false when the batch holds anything else.
    bool batchIsOneQuad = false;
    ImmediateVertex batchQuad[4];
    // A sprite held back when the texture changes after it, so that a sprite
    // drawn next over exactly the same corners can be drawn with it as one
    // layer over the other (see draw.cpp): its texture, its corners and the
    // vertices it is drawn with alone, and its texture matrix.
    bool spriteHeld = false;
    GLuint heldTexture = 0;
    ImmediateVertex heldQuad[4];
    Matrix4 heldTextureMatrix = Identity();
    std::vector<ImmediateVertex> heldVertices;
    // While two such sprites are drawn as one: the upper one's colour and
    // texture matrix (its texture is bound on unit 1; the lower one's are
    // the draw's own).
    bool drawingTwoLayers = false;
    float upperColor[4] = {1, 1, 1, 1};
    Matrix4 upperTextureMatrix = Identity();
    GLuint streamArray = 0, streamBuffer = 0;  // what immediate mode draws from
    // Replays of lists' small draws called since the state last changed
    // (matrices aside). One is drawn as it is; more are transformed to eye
    // space here and go to the driver as one draw with the identity
    // modelview, whatever transform each was called under.
    std::vector<Replay> replays;
    size_t replayVertices = 0;  // theirs in all
    std::vector<EyeVertex> gathered;
    GLuint gatheredArray = 0, gatheredBuffer = 0;  // what the gathered replays draw from

    // What ES holds now, so that a draw changes only what differs.
    GLuint boundVertexArray = 0;
    float attributeValue[4][4] = {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}};  // by location

    std::vector<std::vector<ListDraw>> lists;  // by name, up to the last name given
    GLuint nextList = 1;
    GLuint compiling = 0;  // the list being recorded, 0 when none
};

// The state of the current context.
State& Current();
// Whether the bound texture is complete: its image given, and its smaller
// levels too when its minifying filter reads them.
bool BoundTextureComplete(const State& state);
// A new context starts from GL's defaults; the old one's buffers died with it.
void ResetState();

// Draws vertices already in a buffer with the current state: the program
// for it, its uniforms, and the current values of what the vertices do not
// carry (see draw.cpp).
void Submit(const ListDraw& draw);
// Draws what waits: the immediate-mode primitives gathered so far, or the
// replays of lists. Every call that changes what a draw depends on calls it
// first; a change of the modelview calls DrawImmediateBatch only, as the
// replays keep the modelview each was called with.
void DrawBatch();
void DrawImmediateBatch();
// Called before the texture or the texture matrix changes: holds back a
// sprite that the next could be drawn with (see draw.cpp), or draws what
// waits.
void HoldSpriteOrDrawBatch();
// Lets go of the lists' buffers and immediate mode's (before the context goes).
void ReleaseDrawBuffers();

}  // namespace platform::gl::es3
