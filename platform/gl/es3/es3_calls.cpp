// The program's GL calls on the shader path other than drawing: matrices,
// lights and material, textures, and the switches and fragment state, which
// go to ES 3.0 as they are where it has them. A call that changes what a draw
// depends on first has the gathered immediate-mode primitives drawn (see
// draw.cpp); one that changes nothing (a matrix multiplied by the identity,
// the texture bound again) leaves them gathered.
#include <algorithm>

#include "gl/es3/es3_calls.h"
#include "gl/es3/quad_trim.h"
#include "gl/es3/state.h"
#include "base/frame_costs.h"
#include "gl/pixel_counter.h"

namespace platform::gl::es3 {

State& Current() {
    static State state;
    return state;
}

void ResetState() { Current() = State{}; }

bool BoundTextureComplete(const State& state) {
    if (state.boundTexture >= state.textures.size()) return false;
    const TextureRecord& texture = state.textures[state.boundTexture];
    if (!texture.hasImage) return false;
    return texture.minFilter == GL_NEAREST || texture.minFilter == GL_LINEAR || texture.hasMipmaps;
}

}  // namespace platform::gl::es3

namespace platform::gl::es3::calls {

static Matrix4* CurrentMatrix(State& s) {
    switch (s.matrixMode) {
        case kModelviewMatrix: return &s.modelview;
        case kProjectionMatrix: return &s.projection;
        case kTextureMatrix: return &s.texture;
        default: return nullptr;
    }
}

static void SetCurrent(const Matrix4& to) {
    State& s = Current();
    Matrix4* matrix = CurrentMatrix(s);
    if (SameMatrix(*matrix, to)) return;
    if (s.matrixMode == kModelviewMatrix) DrawImmediateBatch();
    else if (s.matrixMode == kTextureMatrix) HoldSpriteOrDrawBatch();
    else DrawBatch();
    *matrix = to;
    ++s.transformSerial;
}

static void MultiplyCurrent(const Matrix4& by) { SetCurrent(Multiply(*CurrentMatrix(Current()), by)); }

void MatrixMode(GLenum mode) {
    State& s = Current();
    GLenum before = s.matrixMode;
    s.matrixMode = mode;
    if (!CurrentMatrix(s)) s.matrixMode = before;
}

void LoadIdentity() { SetCurrent(Identity()); }

void Translatef(GLfloat x, GLfloat y, GLfloat z) { MultiplyCurrent(Translation(x, y, z)); }
void Rotatef(GLfloat angleDegrees, GLfloat x, GLfloat y, GLfloat z) { MultiplyCurrent(Rotation(angleDegrees, x, y, z)); }
void Scalef(GLfloat x, GLfloat y, GLfloat z) { MultiplyCurrent(Scaling(x, y, z)); }
void Perspective(GLdouble fovyDegrees, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    MultiplyCurrent(es3::Perspective(fovyDegrees, aspect, zNear, zFar));
}
void Ortho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    MultiplyCurrent(es3::Ortho2D(left, right, bottom, top));
}

static void Copy4(const GLfloat* from, float* to) { std::copy(from, from + 4, to); }

// A light's position is kept in eye space, through the modelview of the moment.
void Lightfv(GLenum light, GLenum pname, const GLfloat* params) {
    State& s = Current();
    if ((light != kLight0 && light != kLight1) || !params) return;
    DrawBatch();
    Light& l = s.lights[light - kLight0];
    switch (pname) {
        case kAmbient: Copy4(params, l.ambient); break;
        case kDiffuse: Copy4(params, l.diffuse); break;
        case kSpecular: Copy4(params, l.specular); break;
        case kPosition: {
            Vector4 eye = Transform(s.modelview, {params[0], params[1], params[2], params[3]});
            l.eyePosition[0] = eye.x, l.eyePosition[1] = eye.y, l.eyePosition[2] = eye.z, l.eyePosition[3] = eye.w;
            break;
        }
        default: return;
    }
    ++s.lightingSerial;
}

// Lighting is one-sided, so the front material is the one that lights.
void Materialfv(GLenum face, GLenum pname, const GLfloat* params) {
    State& s = Current();
    if ((face != GL_FRONT && face != GL_FRONT_AND_BACK) || !params) return;
    DrawBatch();
    Material& m = s.material;
    switch (pname) {
        case kAmbient: Copy4(params, m.ambient); break;
        case kDiffuse: Copy4(params, m.diffuse); break;
        case kSpecular: Copy4(params, m.specular); break;
        case kAmbientAndDiffuse:
            Copy4(params, m.ambient);
            Copy4(params, m.diffuse);
            break;
        case kShininess:
            if (params[0] < 0 || params[0] > 128) return;  // GL refuses it
            m.shininess = params[0];
            break;
        default: return;
    }
    ++s.lightingSerial;
}

void ShadeModel(GLenum mode) {
    if (mode != kFlat && mode != kSmooth) return;
    if (Current().flat == (mode == kFlat)) return;
    DrawBatch();
    Current().flat = mode == kFlat;
}

// Texture names come from glGenTextures, which counts up from 1: a record
// for each name up to the largest given.
void GenTextures(GLsizei n, GLuint* textures) {
    glGenTextures(n, textures);
    State& s = Current();
    for (GLsizei i = 0; i < n && textures; ++i)
        if (textures[i] >= s.textures.size()) s.textures.resize(textures[i] + 1);
}

void BindTexture(GLenum target, GLuint texture) {
    State& s = Current();
    if (target == GL_TEXTURE_2D && texture == s.boundTexture) return;
    if (target == GL_TEXTURE_2D) HoldSpriteOrDrawBatch();
    else DrawBatch();
    if (target == GL_TEXTURE_2D) s.boundTexture = texture;
    glBindTexture(target, texture);
    ++base::costs::Counted().stateChanges;
}

// The record of the bound texture: the default texture's (0) or one that
// glGenTextures gave; any other name gets a record of no picture, kept nowhere.
static TextureRecord& BoundTextureRecord() {
    State& s = Current();
    if (s.boundTexture < s.textures.size()) return s.textures[s.boundTexture];
    static TextureRecord notGenerated;
    notGenerated = TextureRecord{};
    return notGenerated;
}

// How many pictures of one texture are read for what can show.
constexpr int kPicturesReadMost = 4;

// What of a picture given to glTexImage2D can show; not known for layouts
// other than 8-bit grey, grey and alpha, RGB or RGBA rows packed as
// glPixelStorei's alignment says.
static VisibleTexels VisibleTexelsOf(const uint8_t* pixels, GLsizei width, GLsizei height, GLint internalFormat,
                                     GLenum format, GLenum type) {
    int components = 0;
    switch (format) {
        case GL_LUMINANCE: components = 1; break;
        case GL_LUMINANCE_ALPHA: components = 2; break;
        case GL_RGB: components = 3; break;
        case GL_RGBA: components = 4; break;
        default: return {};
    }
    const State& s = Current();
    bool otherLayout = std::any_of(s.unpackLayoutOther.begin(), s.unpackLayoutOther.end(),
                                   [](const auto& setting) { return setting.second != 0; });
    if (type != GL_UNSIGNED_BYTE || otherLayout) return {};
    VisibleTexels visible = FindVisibleTexels(pixels, width, height, components, s.unpackAlignment);
    // A texture kept without alpha is opaque whatever alpha its picture had.
    if (internalFormat != GL_RGBA && internalFormat != GL_LUMINANCE_ALPHA) visible.unveiled = {0, 0, width, height};
    return visible;
}

// GL 1.1 takes a component count for the internal format; ES 3.0 takes the
// format itself.
void TexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                GLenum format, GLenum type, const GLvoid* pixels) {
    if (internalFormat == 3) internalFormat = GL_RGB;
    if (internalFormat == 4) internalFormat = GL_RGBA;
    DrawBatch();
    glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
    ++base::costs::Counted().bufferUploads;
    if (target != GL_TEXTURE_2D || level != 0) return;
    TextureRecord& texture = BoundTextureRecord();
    texture.hasImage = width > 0 && height > 0;
    texture.hasMipmaps = false;
    texture.widthPx = width, texture.heightPx = height;
    // A picture given anew again and again (noise, a new one each frame) is
    // not read: reading it would cost more than cutting its sprites saves.
    ++texture.pictures;
    if (texture.pictures <= kPicturesReadMost)
        texture.visible = VisibleTexelsOf(static_cast<const uint8_t*>(pixels), width, height, internalFormat, format, type);
    else
        texture.visible = {};
}

// The picture and its smaller copies, each half the size of the one before,
// made by the driver. ES 3.0 makes them of any size, so a picture whose sides
// are not powers of two is kept as it is, where GLU first scales it.
GLint Build2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                     const void* pixels) {
    if (width <= 0 || height <= 0) return GL_INVALID_VALUE;
    TexImage2D(target, 0, components, width, height, 0, format, type, pixels);
    glGenerateMipmap(target);
    if (target == GL_TEXTURE_2D) BoundTextureRecord().hasMipmaps = true;
    return 0;
}

void TexParameteri(GLenum target, GLenum pname, GLint param) {
    DrawBatch();
    if (target == GL_TEXTURE_2D && pname == GL_TEXTURE_MIN_FILTER) BoundTextureRecord().minFilter = param;
    glTexParameteri(target, pname, param);
}

void DeleteTextures(GLsizei n, const GLuint* textures) {
    State& s = Current();
    DrawBatch();
    for (GLsizei i = 0; i < n && textures; ++i) {
        if (textures[i] < s.textures.size()) s.textures[textures[i]] = TextureRecord{};
        if (s.boundTexture == textures[i]) s.boundTexture = 0;
    }
    glDeleteTextures(n, textures);
}
// The unpacking alignment is followed; pictures given under any other
// unpacking layout are not read for what can show.
void PixelStorei(GLenum pname, GLint param) {
    State& s = Current();
    if (pname == GL_UNPACK_ALIGNMENT) s.unpackAlignment = param;
    else if (pname != GL_PACK_ALIGNMENT) s.unpackLayoutOther[pname] = param;
    glPixelStorei(pname, param);
}

// The switches of the fixed function are the shader path's; the rest are ES's.
static bool* SwitchNamed(GLenum cap) {
    State& s = Current();
    switch (cap) {
        case kLighting: return &s.lighting;
        case kNormalize: return &s.normalize;
        case GL_TEXTURE_2D: return &s.texturing;
        case kLight0:
        case kLight1: return &s.lights[cap - kLight0].enabled;
        default: return nullptr;
    }
}

static void Switch(GLenum cap, bool on) {
    bool* kept = SwitchNamed(cap);
    if (kept && *kept == on) return;
    DrawBatch();
    if (kept) {
        *kept = on;
        return;
    }
    if (cap == GL_BLEND) Current().blending = on;
    if (cap == GL_DEPTH_TEST) Current().depthTesting = on;
    if (on) glEnable(cap);
    else glDisable(cap);
    ++base::costs::Counted().stateChanges;
}

void Enable(GLenum cap) { Switch(cap, true); }
void Disable(GLenum cap) { Switch(cap, false); }

// ES's own fragment state, each change counted.
static void CountStateChange() { ++base::costs::Counted().stateChanges; }

void Clear(GLbitfield mask) {
    DrawBatch();
    pixels::Cleared(mask);
    glClear(mask);
}
void ClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) { glClearColor(red, green, blue, alpha); }
void ClearDepth(GLclampd depth) { glClearDepthf(static_cast<GLfloat>(depth)); }
void DepthFunc(GLenum func) {
    DrawBatch();
    glDepthFunc(func);
    CountStateChange();
}
void DepthMask(GLboolean flag) {
    DrawBatch();
    glDepthMask(flag);
    CountStateChange();
}
void BlendFunc(GLenum sourceFactor, GLenum destinationFactor) {
    DrawBatch();
    Current().blendSource = sourceFactor, Current().blendDestination = destinationFactor;
    glBlendFunc(sourceFactor, destinationFactor);
    CountStateChange();
}
void CullFace(GLenum mode) {
    DrawBatch();
    glCullFace(mode);
    CountStateChange();
}

// What GL has been given is carried out, gathered primitives first.
void Flush() {
    DrawBatch();
    glFlush();
}

}  // namespace platform::gl::es3::calls
