// Drawing on the shader path: vertices given between glBegin and glEnd,
// client arrays drawn with glDrawElements, and display lists, which keep
// each draw recorded into them as buffers on the GPU, so that replaying a
// list costs no work per vertex on the CPU. Quads become two triangles each,
// (0 1 3) and (1 2 3), which keeps the quad's last vertex the last of both, as
// flat shading needs. Consecutive primitives of glBegin/glEnd that are drawn
// alike (triangles, lines or points, under the same state) are gathered into
// one buffer and go to the driver as one draw when the state changes: each
// vertex carries its colour and texture coordinate, so nothing else can tell
// them apart. Replays of lists' small draws of triangles, one after the
// other under the same state, are gathered likewise even where the modelview
// changes between them: their vertices are transformed to eye space on the
// CPU (positions by the modelview, normals by its inverse transpose, as the
// shaders do) and drawn as one draw with the identity modelview, so that a
// wall of objects, each under its own transform, costs one draw. A lone
// replay is drawn from its buffer, as recorded. While a list is recorded, its
// draws go into it and everything else (client state among it) is carried
// out at once; the program records nothing but draws.
//
// A sprite whose texture changes after it is held back rather than drawn. If
// the next thing drawn is a sprite over exactly the same corners, under the
// same state but for its texture, texture matrix and colour, the two are
// drawn as one: the shader reads both textures and blends the upper one over
// the lower, so their pixels are shaded once. Anything else draws the held
// sprite first, as it would have been drawn.
//
// A primitive blended by its alpha whose vertices' alpha is 0 (a layer faded
// out, or not yet faded in) changes no pixel, and is not drawn at all.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "gl/es3/es3_calls.h"
#include "gl/es3/programs.h"
#include "gl/es3/quad_trim.h"
#include "gl/es3/state.h"
#include "base/frame_costs.h"
#include "gl/coverage.h"
#include "gl/pixel_counter.h"

namespace platform::gl::es3 {

namespace {

// A list's draw of at most this many vertices keeps them on the CPU too, to
// be gathered with other replays; a larger one is cheaper replayed from its
// buffer than transformed on the CPU at every replay.
constexpr size_t kGatheredDrawVerticesMost = 1024;
// Gathered replays go to the driver once they have this many vertices.
constexpr size_t kGatheredVerticesMost = 65536;

// Where each attribute lies in a buffer: offset in bytes and stride; size 0 when absent.
struct AttributeLayout {
    GLint size = 0;
    size_t offset = 0;
    GLsizei stride = 0;
};

void BindVertexArray(GLuint vertexArray) {
    State& s = Current();
    if (s.boundVertexArray == vertexArray) return;
    glBindVertexArray(vertexArray);
    ++base::costs::Counted().stateChanges;
    s.boundVertexArray = vertexArray;
}

// The value an attribute has where the vertices do not carry it.
void SetAttributeValue(GLuint location, float x, float y, float z, float w) {
    float* value = Current().attributeValue[location];
    if (value[0] == x && value[1] == y && value[2] == z && value[3] == w) return;
    value[0] = x, value[1] = y, value[2] = z, value[3] = w;
    glVertexAttrib4f(location, x, y, z, w);
    ++base::costs::Counted().stateChanges;
}

void Point(GLuint location, AttributeLayout layout) {
    if (layout.size == 0) return;
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, layout.size, GL_FLOAT, GL_FALSE, layout.stride,
                          reinterpret_cast<const void*>(layout.offset));
}

// Sets up a vertex array over `bytes` of vertices (and `indices`, when given).
// The positions of a buffer's vertices in the order `indices` draws them
// (or one after the other), four floats each.
std::vector<float> PositionsOf(const void* bytes, size_t byteCount, const std::vector<GLuint>& indices, GLsizei count,
                               AttributeLayout position) {
    std::vector<float> positions;
    size_t stride = position.stride ? static_cast<size_t>(position.stride) : sizeof(float) * static_cast<size_t>(position.size);
    for (GLsizei i = 0; i < count; ++i) {
        size_t vertex = indices.empty() ? static_cast<size_t>(i) : indices[static_cast<size_t>(i)];
        size_t at = position.offset + vertex * stride;
        float p[4] = {0, 0, 0, 1};
        if (at + sizeof(float) * static_cast<size_t>(position.size) <= byteCount)
            std::memcpy(p, static_cast<const uint8_t*>(bytes) + at, sizeof(float) * static_cast<size_t>(position.size));
        positions.insert(positions.end(), p, p + 4);
    }
    return positions;
}

ListDraw MakeDraw(GLenum mode, const void* bytes, size_t byteCount, const std::vector<GLuint>& indices, GLsizei count,
                  AttributeLayout position, AttributeLayout color, AttributeLayout texCoord, AttributeLayout normal) {
    ListDraw draw;
    if (pixels::KeepPositions()) draw.positions = PositionsOf(bytes, byteCount, indices, count, position);
    draw.mode = mode;
    draw.count = count;
    draw.hasColors = color.size > 0;
    draw.hasTexCoords = texCoord.size > 0;
    draw.hasNormals = normal.size > 0;
    glGenVertexArrays(1, &draw.vertexArray);
    BindVertexArray(draw.vertexArray);
    glGenBuffers(1, &draw.vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, draw.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(byteCount), bytes, GL_STATIC_DRAW);
    ++base::costs::Counted().bufferUploads;
    Point(kPositionAttribute, position);
    Point(kColorAttribute, color);
    Point(kTexCoordAttribute, texCoord);
    Point(kNormalAttribute, normal);
    if (!indices.empty()) {
        glGenBuffers(1, &draw.indexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, draw.indexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)), indices.data(),
                     GL_STATIC_DRAW);
        ++base::costs::Counted().bufferUploads;
    }
    return draw;
}

void Release(const ListDraw& draw) {
    if (Current().boundVertexArray == draw.vertexArray) BindVertexArray(0);
    glDeleteVertexArrays(1, &draw.vertexArray);
    glDeleteBuffers(1, &draw.vertexBuffer);
    if (draw.indexBuffer) glDeleteBuffers(1, &draw.indexBuffer);
}

// A draw made now: into the list being recorded, or drawn and let go.
void DrawOrRecord(ListDraw draw) {
    State& s = Current();
    if (s.compiling) {
        s.lists[s.compiling].push_back(std::move(draw));
        return;
    }
    Submit(draw);
    Release(draw);
}

// The mode vertices given in `mode` are drawn in: quads as triangles.
GLenum DrawnMode(GLenum mode) { return mode == kQuads ? GL_TRIANGLES : mode; }

// Whether primitives of `mode` given one after the other draw the same as
// one draw of all their vertices (strips, fans and loops do not).
bool Joins(GLenum mode) { return mode == kQuads || mode == GL_TRIANGLES || mode == GL_LINES || mode == GL_POINTS; }

// The vertices of one primitive of a joining mode.
size_t VerticesPerPrimitive(GLenum mode) {
    switch (mode) {
        case kQuads: return 4;
        case GL_TRIANGLES: return 3;
        case GL_LINES: return 2;
        default: return 1;
    }
}

// The quads from `first` to the end of `vertices` as triangles, in place;
// `corners` is room for the quads meanwhile.
void QuadsToTriangles(std::vector<ImmediateVertex>* vertices, size_t first, std::vector<ImmediateVertex>* corners) {
    corners->assign(vertices->begin() + static_cast<std::ptrdiff_t>(first), vertices->end());
    vertices->resize(first);
    for (size_t i = 0; i + 3 < corners->size(); i += 4)
        for (size_t corner : {0, 1, 3, 1, 2, 3}) vertices->push_back((*corners)[i + corner]);
}

// What of the bound texture can show in a quad drawn now, or false where
// all of it may (or all of it does). Cut are quads of a texture read by one
// level, under its own coordinates, modulating an unlit colour, blended by
// its alpha, with no depth test (a see-through fragment still writes depth).
bool ShowingOf(const State& s, const TextureRecord& texture, const Matrix4& textureMatrix, Showing* showing) {
    if (!s.texturing || s.lighting || !s.blending || s.depthTesting) return false;
    if (texture.hasMipmaps || !texture.visible.known || !SameMatrix(textureMatrix, Identity())) return false;
    if (s.blendSource != GL_SRC_ALPHA) return false;
    if (s.blendDestination != GL_ONE_MINUS_SRC_ALPHA && s.blendDestination != GL_ONE) return false;
    *showing = ShowingWhen(texture.visible, s.blendDestination == GL_ONE);
    return !AllShows(*showing, texture.widthPx, texture.heightPx);
}

bool ShowingNow(const State& s, Showing* showing) {
    return BoundTextureComplete(s) && ShowingOf(s, s.textures[s.boundTexture], s.texture, showing);
}

// Cuts the quads from `first` to the end of the batch to the parts that can
// show (see quad_trim.h).
void CutQuads(State& s, size_t first) {
    Showing showing;
    if (!ShowingNow(s, &showing)) return;
    const TextureRecord& texture = s.textures[s.boundTexture];
    std::vector<ImmediateVertex>& uncut = s.quadCorners;
    uncut.assign(s.batch.begin() + static_cast<std::ptrdiff_t>(first), s.batch.end());
    s.batch.resize(first);
    for (size_t i = 0; i + 3 < uncut.size(); i += 4)
        if (!CutQuad(showing, texture.widthPx, texture.heightPx, &uncut[i], &s.batch))
            s.batch.insert(s.batch.end(), uncut.begin() + static_cast<std::ptrdiff_t>(i),
                           uncut.begin() + static_cast<std::ptrdiff_t>(i + 4));
}

// Whether the primitives from `first` to the end of the batch can change no
// pixel: blended by their alpha, over or added, unlit (the alpha is their
// vertices', clamped, times the texture's) and every vertex's alpha at or
// below 0, with no depth test (which would still write depth where they
// cover). Such a draw leaves every pixel as it was, so it is not drawn.
bool AddsNothing(const State& s, size_t first) {
    if (!s.blending || s.lighting || s.depthTesting || s.blendSource != GL_SRC_ALPHA) return false;
    if (s.blendDestination != GL_ONE_MINUS_SRC_ALPHA && s.blendDestination != GL_ONE) return false;
    for (size_t i = first; i < s.batch.size(); ++i)
        if (!(s.batch[i].color[3] <= 0)) return false;
    return true;
}

// Whether a sprite drawn now can be drawn as one with another over it: an
// unlit texture read with no division (the texture matrix leaves q at 1),
// blended by its alpha over or added, with no depth test.
bool Stackable(const State& s) {
    if (s.compiling || !s.texturing || !BoundTextureComplete(s) || s.lighting || s.flat || s.depthTesting) return false;
    if (!AffineTexture(s.texture) || !s.blending || s.blendSource != GL_SRC_ALPHA) return false;
    return s.blendDestination == GL_ONE_MINUS_SRC_ALPHA || s.blendDestination == GL_ONE;
}

// Whether two quads have the same corners at the same texture coordinates,
// each in one colour.
bool SameQuad(const ImmediateVertex a[4], const ImmediateVertex b[4]) {
    for (int i = 0; i < 4; ++i) {
        if (std::memcmp(a[i].position, b[i].position, sizeof a[i].position) != 0) return false;
        if (std::memcmp(a[i].texCoord, b[i].texCoord, sizeof a[i].texCoord) != 0) return false;
        if (std::memcmp(a[i].color, a[0].color, sizeof a[i].color) != 0) return false;
        if (std::memcmp(b[i].color, b[0].color, sizeof b[i].color) != 0) return false;
    }
    return true;
}

TexelBox Around(const TexelBox& a, const TexelBox& b) {
    if (a.x0 >= a.x1 || a.y0 >= a.y1) return b;
    if (b.x0 >= b.x1 || b.y0 >= b.y1) return a;
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

// The area of quads (four corners each) in texture coordinates, which for
// pieces of one quad goes as their area on screen.
double TextureArea(const std::vector<ImmediateVertex>& quads) {
    double area = 0;
    for (size_t i = 0; i + 3 < quads.size(); i += 4) {
        const float* t0 = quads[i].texCoord;
        const float* t1 = quads[i + 1].texCoord;
        const float* t3 = quads[i + 3].texCoord;
        area += std::fabs((t1[0] - t0[0]) * (t3[1] - t0[1]) - (t1[1] - t0[1]) * (t3[0] - t0[0]));
    }
    return area;
}

// The pieces of the quad `corners` that two stacked textures can show
// through: where both would be cut alone, cut as one sprite's by what either
// can show. False where drawing the two as one would shade more than
// drawing each cut alone: pictures of different sizes, or parts that show
// far apart, so that the box around both holds more than the two.
bool StackedPieces(const State& s, const TextureRecord& lower, const TextureRecord& upper,
                   const ImmediateVertex corners[4], std::vector<ImmediateVertex>* pieces) {
    Showing lowerShows, upperShows;
    bool lowerCut = ShowingOf(s, lower, s.heldTextureMatrix, &lowerShows);
    bool upperCut = ShowingOf(s, upper, s.texture, &upperShows);
    pieces->assign(corners, corners + 4);
    if (!lowerCut || !upperCut) return true;
    const int w = lower.widthPx, h = lower.heightPx;
    if (upper.widthPx != w || upper.heightPx != h) return false;
    Showing either{Around(lowerShows.box, upperShows.box), lowerShows.cells | upperShows.cells};
    std::vector<ImmediateVertex> bothCut, lowerPieces, upperPieces;
    if (AllShows(either, w, h) || !CutQuad(either, w, h, corners, &bothCut)) bothCut.assign(corners, corners + 4);
    if (!CutQuad(lowerShows, w, h, corners, &lowerPieces)) lowerPieces.assign(corners, corners + 4);
    if (!CutQuad(upperShows, w, h, corners, &upperPieces)) upperPieces.assign(corners, corners + 4);
    if (TextureArea(bothCut) > TextureArea(lowerPieces) + TextureArea(upperPieces)) return false;
    pieces->swap(bothCut);
    return true;
}

AttributeLayout ImmediateAttribute(GLint size, size_t offset) {
    return {size, offset, static_cast<GLsizei>(sizeof(ImmediateVertex))};
}

// The vertex array immediate mode draws from, its buffer refilled at each glEnd.
void SetUpStream(State& s) {
    glGenVertexArrays(1, &s.streamArray);
    glGenBuffers(1, &s.streamBuffer);
    BindVertexArray(s.streamArray);
    glBindBuffer(GL_ARRAY_BUFFER, s.streamBuffer);
    Point(kPositionAttribute, ImmediateAttribute(4, offsetof(ImmediateVertex, position)));
    Point(kColorAttribute, ImmediateAttribute(4, offsetof(ImmediateVertex, color)));
    Point(kTexCoordAttribute, ImmediateAttribute(2, offsetof(ImmediateVertex, texCoord)));
}

// The vertex array gathered replays draw from, its buffer refilled at each draw.
void SetUpGathered(State& s) {
    glGenVertexArrays(1, &s.gatheredArray);
    glGenBuffers(1, &s.gatheredBuffer);
    BindVertexArray(s.gatheredArray);
    glBindBuffer(GL_ARRAY_BUFFER, s.gatheredBuffer);
    auto at = [](GLint size, size_t offset) { return AttributeLayout{size, offset, sizeof(EyeVertex)}; };
    Point(kPositionAttribute, at(4, offsetof(EyeVertex, position)));
    Point(kColorAttribute, at(4, offsetof(EyeVertex, color)));
    Point(kTexCoordAttribute, at(2, offsetof(EyeVertex, texCoord)));
    Point(kNormalAttribute, at(3, offsetof(EyeVertex, normal)));
}

// The floats from one vertex of a client array to the next.
size_t StrideFloats(const ClientArray& array) {
    return array.stride ? static_cast<size_t>(array.stride) / sizeof(float) : static_cast<size_t>(array.size);
}

// The triangles `order` picks from the enabled arrays, as a list keeps them
// on the CPU: positions padded to (x y 0 1), what no array gives zero.
std::vector<ObjectVertex> TrianglesOf(const State& s, const std::vector<GLuint>& order) {
    auto read = [](const ClientArray& array, GLuint index, float* out, GLint most) {
        if (!array.enabled || !array.pointer) return;
        const float* vertex = array.pointer + index * StrideFloats(array);
        for (GLint i = 0; i < std::min(array.size, most); ++i) out[i] = vertex[i];
    };
    std::vector<ObjectVertex> triangles(order.size(), ObjectVertex{{0, 0, 0, 1}, {0, 0, 0}, {0, 0}});
    for (size_t i = 0; i < order.size(); ++i) {
        read(s.vertexArray, order[i], triangles[i].position, 4);
        read(s.normalArray, order[i], triangles[i].normal, 3);
        read(s.texCoordArray, order[i], triangles[i].texCoord, 2);
    }
    return triangles;
}

// Appends a replay's triangles in eye space, with the current values it was
// called with where its arrays gave none.
void AppendInEyeSpace(const ListDraw& draw, const Replay& replay, std::vector<EyeVertex>* out) {
    Matrix3 normals = NormalMatrix(replay.modelview);
    const float* n = normals.m;
    for (const ObjectVertex& v : draw.triangles) {
        EyeVertex e;
        Vector4 eye = Transform(replay.modelview, {v.position[0], v.position[1], v.position[2], v.position[3]});
        e.position[0] = eye.x, e.position[1] = eye.y, e.position[2] = eye.z, e.position[3] = eye.w;
        std::copy(replay.color, replay.color + 4, e.color);
        const float* texCoord = draw.hasTexCoords ? v.texCoord : replay.texCoord;
        e.texCoord[0] = texCoord[0], e.texCoord[1] = texCoord[1];
        const float* normal = draw.hasNormals ? v.normal : replay.normal;
        for (int row = 0; row < 3; ++row) e.normal[row] = n[row] * normal[0] + n[3 + row] * normal[1] + n[6 + row] * normal[2];
        out->push_back(e);
    }
}

// What a replay keeps of the state: the modelview and the current values.
Replay Snapshot(const State& s, GLuint list, size_t index) {
    Replay replay{list, index, s.modelview, {}, {}, {}};
    std::copy(s.color, s.color + 4, replay.color);
    std::copy(s.texCoord, s.texCoord + 2, replay.texCoord);
    std::copy(s.normal, s.normal + 3, replay.normal);
    return replay;
}

void Restore(State& s, const Replay& kept) {
    s.modelview = kept.modelview;
    std::copy(kept.color, kept.color + 4, s.color);
    std::copy(kept.texCoord, kept.texCoord + 2, s.texCoord);
    std::copy(kept.normal, kept.normal + 3, s.normal);
    ++s.transformSerial;
}

// Draws with the modelview and current values `replay` holds (those it was
// called with, or the identity for replays gathered in eye space), then puts
// the state's own back.
void SubmitAsCalled(const ListDraw& draw, const Replay& replay) {
    State& s = Current();
    Replay now = Snapshot(s, 0, 0);
    Restore(s, replay);
    Submit(draw);
    Restore(s, now);
}

// Uploads `bytes` of vertices to a stream buffer and gives a draw of its
// `count` vertices through `vertexArray`.
ListDraw StreamedDraw(GLuint vertexArray, GLuint buffer, const void* vertices, size_t bytes, size_t count) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), vertices, GL_STREAM_DRAW);
    ++base::costs::Counted().bufferUploads;
    ListDraw draw;
    draw.vertexArray = vertexArray;
    draw.count = static_cast<GLsizei>(count);
    return draw;
}

// Draws the waiting replays, transformed to eye space, as one draw.
void DrawGathered(State& s) {
    s.gathered.clear();
    for (const Replay& replay : s.replays) AppendInEyeSpace(s.lists[replay.list][replay.draw], replay, &s.gathered);
    if (!s.gatheredArray) SetUpGathered(s);
    ListDraw draw = StreamedDraw(s.gatheredArray, s.gatheredBuffer, s.gathered.data(),
                                 s.gathered.size() * sizeof(EyeVertex), s.gathered.size());
    draw.hasColors = draw.hasTexCoords = draw.hasNormals = true;
    if (pixels::CountingNow())
        for (const EyeVertex& v : s.gathered) draw.positions.insert(draw.positions.end(), v.position, v.position + 4);
    Replay inEyeSpace = Snapshot(s, 0, 0);
    inEyeSpace.modelview = Identity();
    SubmitAsCalled(draw, inEyeSpace);
}

// Draws the waiting replays: a lone one from its buffer, more as one draw.
void DrawReplays() {
    State& s = Current();
    if (s.replays.empty()) return;
    if (s.replays.size() == 1) {
        const Replay& replay = s.replays[0];
        SubmitAsCalled(s.lists[replay.list][replay.draw], replay);
    } else {
        DrawGathered(s);
    }
    s.replays.clear();
    s.replayVertices = 0;
}

// Puts a replay of a list's draw with the ones waiting, or, when it keeps
// nothing on the CPU, draws them and it.
void ReplayDraw(GLuint list, size_t index) {
    State& s = Current();
    const ListDraw& draw = s.lists[list][index];
    if (draw.triangles.empty()) {
        DrawReplays();
        Submit(draw);
        return;
    }
    if (s.replayVertices + draw.triangles.size() > kGatheredVerticesMost) DrawReplays();
    s.replays.push_back(Snapshot(s, list, index));
    s.replayVertices += draw.triangles.size();
}

// Copies `count` vertices of an enabled client array, `size` floats each, after `out`.
void AppendArray(const ClientArray& array, size_t count, std::vector<float>* out) {
    size_t strideFloats = StrideFloats(array);
    for (size_t i = 0; i < count; ++i)
        out->insert(out->end(), array.pointer + i * strideFloats, array.pointer + i * strideFloats + array.size);
}

}  // namespace

namespace {

// The window rectangle a draw can reach: the viewport, within the scissor
// where it is on.
coverage::Target CurrentTarget() {
    coverage::Target target{};
    glGetIntegerv(GL_VIEWPORT, target.viewport);
    const GLint* v = target.viewport;
    target.visible = {static_cast<double>(v[0]), static_cast<double>(v[1]), static_cast<double>(v[0] + v[2]),
                      static_cast<double>(v[1] + v[3])};
    if (glIsEnabled(GL_SCISSOR_TEST)) {
        GLint box[4];
        glGetIntegerv(GL_SCISSOR_BOX, box);
        coverage::PixelRect& r = target.visible;
        r = {std::max(r.x0, static_cast<double>(box[0])), std::max(r.y0, static_cast<double>(box[1])),
             std::min(r.x1, static_cast<double>(box[0] + box[2])), std::min(r.y1, static_cast<double>(box[1] + box[3]))};
    }
    return target;
}

coverage::Cull CurrentCull() {
    if (!glIsEnabled(GL_CULL_FACE)) return coverage::Cull::kNone;
    GLint face = GL_BACK, front = GL_CCW;
    glGetIntegerv(GL_CULL_FACE_MODE, &face);
    glGetIntegerv(GL_FRONT_FACE, &front);
    if (face == GL_FRONT_AND_BACK) return coverage::Cull::kBoth;
    bool cullsCounterClockwise = (face == GL_FRONT) == (front == GL_CCW);
    return cullsCounterClockwise ? coverage::Cull::kFront : coverage::Cull::kBack;
}

// A draw of a counted frame: its triangles' pixels, each cut to the view
// volume and the visible rectangle, filed by the state it is drawn with.
// Lines and points are not counted.
void CountPixels(const State& s, const ListDraw& draw) {
    if (!pixels::CountingNow() || draw.positions.empty()) return;
    Matrix4 toClip = Multiply(s.projection, s.modelview);
    coverage::Target target = CurrentTarget();
    coverage::Cull cull = CurrentCull();
    const std::vector<float>& p = draw.positions;
    auto corner = [&](size_t i) {
        Vector4 c = Transform(toClip, {p[4 * i], p[4 * i + 1], p[4 * i + 2], p[4 * i + 3]});
        return coverage::ClipPoint{c.x, c.y, c.z, c.w};
    };
    auto triangle = [&](size_t a, size_t b, size_t c) {
        return coverage::TrianglePixels(corner(a), corner(b), corner(c), target, cull);
    };
    size_t count = p.size() / 4;
    double area = 0;
    if (draw.mode == GL_TRIANGLES)
        for (size_t i = 0; i + 2 < count; i += 3) area += triangle(i, i + 1, i + 2);
    else if (draw.mode == GL_TRIANGLE_STRIP)
        for (size_t i = 0; i + 2 < count; ++i) area += i % 2 == 0 ? triangle(i, i + 1, i + 2) : triangle(i + 1, i, i + 2);
    else if (draw.mode == GL_TRIANGLE_FAN)
        for (size_t i = 1; i + 1 < count; ++i) area += triangle(0, i, i + 1);
    else
        return;
    pixels::AddDrawnPixels(static_cast<uint64_t>(std::llround(area)), s.blending, s.depthTesting,
                           s.texturing && BoundTextureComplete(s));
}

// Draws immediate-mode vertices with the current state.
void DrawVertices(const std::vector<ImmediateVertex>& vertices, GLenum mode) {
    State& s = Current();
    if (!s.streamArray) SetUpStream(s);
    ListDraw draw = StreamedDraw(s.streamArray, s.streamBuffer, vertices.data(),
                                 vertices.size() * sizeof(ImmediateVertex), vertices.size());
    draw.mode = mode;
    draw.hasColors = draw.hasTexCoords = true;
    if (pixels::CountingNow())
        for (const ImmediateVertex& v : vertices) draw.positions.insert(draw.positions.end(), v.position, v.position + 4);
    Submit(draw);
}

// Draws the primitives gathered in the batch.
void DrawBatchVertices() {
    State& s = Current();
    GLenum mode = s.batchMode;
    s.batchMode = 0;
    s.batchIsOneQuad = false;
    if (s.batch.empty()) return;
    DrawVertices(s.batch, mode);
    s.batch.clear();
}

void BindTextureUnit(GLenum unit, GLuint texture) {
    if (unit != GL_TEXTURE0) glActiveTexture(unit);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (unit != GL_TEXTURE0) glActiveTexture(GL_TEXTURE0);
    ++base::costs::Counted().stateChanges;
}

void SetTextureMatrix(State& s, const Matrix4& to) {
    if (SameMatrix(s.texture, to)) return;
    s.texture = to;
    ++s.transformSerial;
}

// Draws the held sprite as it would have been drawn alone: with its own
// texture and texture matrix.
void DrawHeldSprite() {
    State& s = Current();
    if (!s.spriteHeld) return;
    s.spriteHeld = false;
    GLuint bound = s.boundTexture;
    Matrix4 textureMatrix = s.texture;
    if (bound != s.heldTexture) BindTextureUnit(GL_TEXTURE0, s.heldTexture);
    s.boundTexture = s.heldTexture;
    SetTextureMatrix(s, s.heldTextureMatrix);
    DrawVertices(s.heldVertices, GL_TRIANGLES);
    SetTextureMatrix(s, textureMatrix);
    s.boundTexture = bound;
    if (bound != s.heldTexture) BindTextureUnit(GL_TEXTURE0, bound);
}

// Draws the held sprite and the one just given (the batch's only quad) as
// one, where the new one lies right over it; false, drawing nothing, where not.
bool DrawStackedSprites() {
    State& s = Current();
    const GLuint upperTexture = s.boundTexture;
    if (!Stackable(s) || !SameQuad(s.heldQuad, s.batch.data())) return false;
    std::vector<ImmediateVertex> pieces, room;
    if (!StackedPieces(s, s.textures[s.heldTexture], s.textures[upperTexture], s.heldQuad, &pieces)) return false;
    QuadsToTriangles(&pieces, 0, &room);
    for (int c = 0; c < 4; ++c) s.upperColor[c] = std::clamp(s.batch[0].color[c], 0.0f, 1.0f);
    s.drawingTwoLayers = true;
    s.upperTextureMatrix = s.texture;
    BindTextureUnit(GL_TEXTURE1, upperTexture);
    BindTextureUnit(GL_TEXTURE0, s.heldTexture);
    s.boundTexture = s.heldTexture;
    SetTextureMatrix(s, s.heldTextureMatrix);
    glBlendFunc(GL_ONE, s.blendDestination == GL_ONE ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    DrawVertices(pieces, GL_TRIANGLES);
    glBlendFunc(s.blendSource, s.blendDestination);
    SetTextureMatrix(s, s.upperTextureMatrix);
    s.boundTexture = upperTexture;
    BindTextureUnit(GL_TEXTURE0, upperTexture);
    BindTextureUnit(GL_TEXTURE1, 0);
    s.drawingTwoLayers = s.spriteHeld = false;
    s.batch.clear();
    s.batchMode = 0;
    s.batchIsOneQuad = false;
    return true;
}

}  // namespace

void Submit(const ListDraw& draw) {
    State& s = Current();
    if (!UseProgramFor(s)) return;
    CountPixels(s, draw);
    if (!draw.hasColors) SetAttributeValue(kColorAttribute, s.color[0], s.color[1], s.color[2], s.color[3]);
    if (!draw.hasTexCoords) SetAttributeValue(kTexCoordAttribute, s.texCoord[0], s.texCoord[1], 0, 1);
    if (!draw.hasNormals) SetAttributeValue(kNormalAttribute, s.normal[0], s.normal[1], s.normal[2], 1);
    BindVertexArray(draw.vertexArray);
    if (draw.indexBuffer) glDrawElements(draw.mode, draw.count, GL_UNSIGNED_INT, nullptr);
    else glDrawArrays(draw.mode, 0, draw.count);
    ++base::costs::Counted().draws;
}

void DrawBatch() {
    DrawImmediateBatch();
    DrawReplays();
}

void DrawImmediateBatch() {
    if (Current().inBegin) return;
    DrawHeldSprite();
    DrawBatchVertices();
}

void HoldSpriteOrDrawBatch() {
    State& s = Current();
    if (s.spriteHeld && s.batch.empty()) return;
    if (s.inBegin || s.spriteHeld || !s.batchIsOneQuad || !s.replays.empty() || !Stackable(s)) {
        DrawBatch();
        return;
    }
    s.spriteHeld = true;
    s.heldTexture = s.boundTexture;
    s.heldTextureMatrix = s.texture;
    std::copy(s.batchQuad, s.batchQuad + 4, s.heldQuad);
    s.heldVertices.swap(s.batch);
    s.batch.clear();
    s.batchMode = 0;
    s.batchIsOneQuad = false;
}

void ReleaseDrawBuffers() {
    State& s = Current();
    for (const std::vector<ListDraw>& list : s.lists)
        for (const ListDraw& draw : list) Release(draw);
    s.lists.clear();
    s.batch.clear();
    s.batchMode = 0;
    s.batchIsOneQuad = s.spriteHeld = false;
    s.replays.clear();
    s.replayVertices = 0;
    BindVertexArray(0);
    for (GLuint* vertexArray : {&s.streamArray, &s.gatheredArray})
        if (*vertexArray) glDeleteVertexArrays(1, vertexArray);
    for (GLuint* buffer : {&s.streamBuffer, &s.gatheredBuffer})
        if (*buffer) glDeleteBuffers(1, buffer);
    s.streamArray = s.streamBuffer = s.gatheredArray = s.gatheredBuffer = 0;
}

}  // namespace platform::gl::es3

namespace platform::gl::es3::calls {

// A primitive that cannot join the waiting ones has them drawn first.
void Begin(GLenum mode) {
    State& s = Current();
    if (s.inBegin) return;
    s.beginMode = mode;
    if (s.compiling) {
        s.immediate.clear();
    } else {
        DrawReplays();
        if (s.batchMode != DrawnMode(mode) || !Joins(mode)) {
            if (mode != kQuads) DrawHeldSprite();
            DrawBatchVertices();
        }
        s.batchMode = DrawnMode(mode);
        s.primitiveStart = s.batch.size();
    }
    s.inBegin = true;
}

// The primitive joins the batch (what is left over of an unfinished one is
// not drawn, as GL draws none of it, and one that can change no pixel is left
// out), or, while a list is recorded, goes into the list as a draw of its own.
void End() {
    State& s = Current();
    if (!s.inBegin) return;
    s.inBegin = false;
    if (!s.compiling) {
        if (Joins(s.beginMode)) {
            size_t given = s.batch.size() - s.primitiveStart, per = VerticesPerPrimitive(s.beginMode);
            s.batch.resize(s.primitiveStart + given / per * per);
            if (AddsNothing(s, s.primitiveStart)) {
                s.batch.resize(s.primitiveStart);
                return;
            }
            bool oneQuad = s.beginMode == kQuads && s.primitiveStart == 0 && given == 4;
            if (s.spriteHeld && oneQuad && DrawStackedSprites()) return;
            DrawHeldSprite();
            s.batchIsOneQuad = oneQuad;
            if (oneQuad) std::copy(s.batch.begin(), s.batch.begin() + 4, s.batchQuad);
            if (s.beginMode == kQuads) {
                CutQuads(s, s.primitiveStart);
                QuadsToTriangles(&s.batch, s.primitiveStart, &s.quadCorners);
            }
        } else {
            DrawBatch();
        }
        return;
    }
    std::vector<ImmediateVertex>& vertices = s.immediate;
    if (s.beginMode == kQuads) QuadsToTriangles(&vertices, 0, &s.quadCorners);
    if (vertices.empty()) return;
    DrawOrRecord(MakeDraw(DrawnMode(s.beginMode), vertices.data(), vertices.size() * sizeof(ImmediateVertex), {},
                          static_cast<GLsizei>(vertices.size()), ImmediateAttribute(4, offsetof(ImmediateVertex, position)),
                          ImmediateAttribute(4, offsetof(ImmediateVertex, color)),
                          ImmediateAttribute(2, offsetof(ImmediateVertex, texCoord)), {}));
}

static void AddVertex(float x, float y, float z) {
    State& s = Current();
    if (!s.inBegin) return;
    ImmediateVertex v{{x, y, z, 1}, {s.color[0], s.color[1], s.color[2], s.color[3]}, {s.texCoord[0], s.texCoord[1]}};
    (s.compiling ? s.immediate : s.batch).push_back(v);
}

void Vertex2i(GLint x, GLint y) { AddVertex(static_cast<float>(x), static_cast<float>(y), 0); }
void Vertex3f(GLfloat x, GLfloat y, GLfloat z) { AddVertex(x, y, z); }

void TexCoord2f(GLfloat s, GLfloat t) {
    Current().texCoord[0] = s;
    Current().texCoord[1] = t;
}
void TexCoord2i(GLint s, GLint t) { TexCoord2f(static_cast<float>(s), static_cast<float>(t)); }

void Color4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    float* color = Current().color;
    color[0] = red, color[1] = green, color[2] = blue, color[3] = alpha;
}
void Color3f(GLfloat red, GLfloat green, GLfloat blue) { Color4f(red, green, blue, 1); }

static ClientArray* ArrayNamed(GLenum array) {
    State& s = Current();
    switch (array) {
        case kVertexArray: return &s.vertexArray;
        case kNormalArray: return &s.normalArray;
        case kTexCoordArray: return &s.texCoordArray;
        default: return nullptr;
    }
}

void EnableClientState(GLenum array) {
    if (ClientArray* a = ArrayNamed(array)) a->enabled = true;
}
void DisableClientState(GLenum array) {
    if (ClientArray* a = ArrayNamed(array)) a->enabled = false;
}

// Only float arrays are part of the program's GL.
static void SetArray(ClientArray* array, GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    if (type != GL_FLOAT || stride < 0) return;
    array->size = size;
    array->stride = stride;
    array->pointer = static_cast<const float*>(pointer);
}

void VertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    SetArray(&Current().vertexArray, size, type, stride, pointer);
}
void TexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    SetArray(&Current().texCoordArray, size, type, stride, pointer);
}
void NormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer) {
    SetArray(&Current().normalArray, 3, type, stride, pointer);
}

// The arrays' vertices that the indices reach are copied, one array after
// the other, into the draw's own buffer; quads' indices become triangles'.
void DrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    State& s = Current();
    if (count <= 0 || type != GL_UNSIGNED_INT || !indices || !s.vertexArray.enabled || !s.vertexArray.pointer) return;
    DrawBatch();
    const auto* given = static_cast<const GLuint*>(indices);
    std::vector<GLuint> order;
    if (mode == kQuads)
        for (GLsizei i = 0; i + 3 < count; i += 4)
            for (GLsizei corner : {0, 1, 3, 1, 2, 3}) order.push_back(given[i + corner]);
    else
        order.assign(given, given + count);
    if (order.empty()) return;
    size_t vertices = static_cast<size_t>(*std::max_element(order.begin(), order.end())) + 1;
    std::vector<float> data;
    AttributeLayout position{s.vertexArray.size, 0, 0}, texCoord, normal;
    AppendArray(s.vertexArray, vertices, &data);
    if (s.normalArray.enabled && s.normalArray.pointer) {
        normal = {3, data.size() * sizeof(float), 0};
        AppendArray(s.normalArray, vertices, &data);
    }
    if (s.texCoordArray.enabled && s.texCoordArray.pointer) {
        texCoord = {s.texCoordArray.size, data.size() * sizeof(float), 0};
        AppendArray(s.texCoordArray, vertices, &data);
    }
    ListDraw draw = MakeDraw(DrawnMode(mode), data.data(), data.size() * sizeof(float), order,
                             static_cast<GLsizei>(order.size()), position, {}, texCoord, normal);
    if (s.compiling && draw.mode == GL_TRIANGLES && order.size() <= kGatheredDrawVerticesMost)
        draw.triangles = TrianglesOf(s, order);
    DrawOrRecord(std::move(draw));
}

// The lists change: the replays waiting for them are drawn first.
GLuint GenLists(GLsizei range) {
    State& s = Current();
    if (range <= 0) return 0;
    DrawBatch();
    GLuint first = s.nextList;
    s.nextList += static_cast<GLuint>(range);
    s.lists.resize(s.nextList);
    return first;
}

void DeleteLists(GLuint list, GLsizei range) {
    State& s = Current();
    DrawBatch();
    for (GLsizei i = 0; i < range && list + static_cast<GLuint>(i) < s.lists.size(); ++i) {
        std::vector<ListDraw>& draws = s.lists[list + static_cast<GLuint>(i)];
        for (const ListDraw& draw : draws) Release(draw);
        draws.clear();
    }
}

// Only names glGenLists gave are recorded into.
void NewList(GLuint list, GLenum mode) {
    State& s = Current();
    if (list == 0 || list >= s.lists.size() || mode != kCompile || s.compiling) return;
    DrawBatch();
    DeleteLists(list, 1);
    s.compiling = list;
}

void EndList() { Current().compiling = 0; }

void CallList(GLuint list) {
    State& s = Current();
    if (list >= s.lists.size()) return;
    DrawImmediateBatch();
    for (size_t i = 0; i < s.lists[list].size(); ++i) ReplayDraw(list, i);
}

}  // namespace platform::gl::es3::calls
