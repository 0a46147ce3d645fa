// The log of the GL state set (see state_log.h): a table in front of the
// drawing one that notes each state call before handing it on, and the
// replay that puts a logged state back. Calls compiled into a display list
// change nothing until the list is called (the program's lists hold only
// geometry), so they are not noted; the client arrays are, as GL sets them
// at once even then.
#include "gl/state_log.h"

#include <algorithm>
#include <cstring>

namespace platform::gl {

namespace {

// GL's names, as GL 1.1 numbers them.
constexpr GLenum kCompile = 0x1300;
constexpr GLenum kModelview = 0x1700, kProjection = 0x1701, kTexture = 0x1702;
constexpr GLenum kLight0 = 0x4000;
constexpr GLenum kAmbient = 0x1200, kDiffuse = 0x1201, kSpecular = 0x1202, kPosition = 0x1203, kSpotDirection = 0x1204;
constexpr GLenum kSpotExponent = 0x1205, kSpotCutoff = 0x1206;
constexpr GLenum kEmission = 0x1600, kShininess = 0x1601, kAmbientAndDiffuse = 0x1602, kColorIndexes = 0x1603;
constexpr GLenum kFront = 0x0404, kBack = 0x0405, kFrontAndBack = 0x0408;
constexpr GLenum kDither = 0x0BD0, kMultisample = 0x809D, kUnpackAlignment = 0x0CF5;
constexpr GLenum kSmooth = 0x1D01, kLess = 0x0201, kOne = 1, kZero = 0, kFloat = 0x1406;

struct LogState {
    const Backend* drawing = nullptr;
    GlStateLog log;
    bool compiling = false;  // between glNewList(GL_COMPILE) and glEndList
};

LogState& State() {
    static LogState state;
    return state;
}

const Backend& Drawing() { return *State().drawing; }

uint64_t Key(StateCall::Kind kind, GLenum first, GLenum second) {
    return (static_cast<uint64_t>(kind) << 48) | (static_cast<uint64_t>(first & 0xFFFFFF) << 24) | (second & 0xFFFFFF);
}

void Note(const StateCall& call) {
    State().log.calls[Key(call.kind, call.first, call.second)] = call;
}

StateCall Call(StateCall::Kind kind, GLenum first = 0, GLenum second = 0) {
    StateCall call{};
    call.kind = kind;
    call.first = first;
    call.second = second;
    return call;
}

int MatrixIndex(GLenum mode) { return mode == kProjection ? 1 : mode == kTexture ? 2 : 0; }
MatrixCalls& CurrentMatrix() { return State().log.matrices[MatrixIndex(State().log.matrixMode)]; }

void NoteMatrix(MatrixCall::Kind kind, double a, double b, double c, double d) {
    if (!State().compiling) CurrentMatrix().push_back({kind, {a, b, c, d}});
}

// How many values a light's or a material's parameter has.
int LightValues(GLenum pname) { return pname == kSpotDirection ? 3 : pname >= kAmbient && pname <= kPosition ? 4 : 1; }
int MaterialValues(GLenum pname) {
    return pname == kShininess ? 1 : pname == kColorIndexes ? 3 : 4;
}

// A new context starts from GL's defaults.
void LoggedContextCreated() {
    State().log = GlStateLog{};
    State().compiling = false;
    Drawing().contextCreated();
}

// The logged calls, each noting itself and then drawing.
void LoggedNewList(GLuint list, GLenum mode) {
    State().compiling = mode == kCompile;
    Drawing().NewList(list, mode);
}
void LoggedEndList() {
    State().compiling = false;
    Drawing().EndList();
}
void LoggedEnable(GLenum cap) {
    if (!State().compiling) {
        StateCall call = Call(StateCall::kSwitch, cap);
        call.integers[0] = 1;
        Note(call);
    }
    Drawing().Enable(cap);
}
void LoggedDisable(GLenum cap) {
    if (!State().compiling) Note(Call(StateCall::kSwitch, cap));
    Drawing().Disable(cap);
}
void LoggedEnableClientState(GLenum array) {
    StateCall call = Call(StateCall::kClientArray, array);
    call.integers[0] = 1;
    Note(call);
    Drawing().EnableClientState(array);
}
void LoggedDisableClientState(GLenum array) {
    Note(Call(StateCall::kClientArray, array));
    Drawing().DisableClientState(array);
}
void NotePointer(StateCall::Kind kind, GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    StateCall call = Call(kind);
    call.integers[0] = size, call.integers[1] = static_cast<GLint>(type), call.integers[2] = stride;
    call.pointer = pointer;
    Note(call);
}
void LoggedVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    NotePointer(StateCall::kVertexPointer, size, type, stride, pointer);
    Drawing().VertexPointer(size, type, stride, pointer);
}
void LoggedTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    NotePointer(StateCall::kTexCoordPointer, size, type, stride, pointer);
    Drawing().TexCoordPointer(size, type, stride, pointer);
}
void LoggedNormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer) {
    NotePointer(StateCall::kNormalPointer, 0, type, stride, pointer);
    Drawing().NormalPointer(type, stride, pointer);
}
void LoggedMatrixMode(GLenum mode) {
    if (!State().compiling) State().log.matrixMode = mode;
    Drawing().MatrixMode(mode);
}
void LoggedLoadIdentity() {
    if (!State().compiling) CurrentMatrix().clear();
    Drawing().LoadIdentity();
}
void LoggedTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    NoteMatrix(MatrixCall::kTranslate, x, y, z, 0);
    Drawing().Translatef(x, y, z);
}
void LoggedRotatef(GLfloat angleDegrees, GLfloat x, GLfloat y, GLfloat z) {
    NoteMatrix(MatrixCall::kRotate, angleDegrees, x, y, z);
    Drawing().Rotatef(angleDegrees, x, y, z);
}
void LoggedScalef(GLfloat x, GLfloat y, GLfloat z) {
    NoteMatrix(MatrixCall::kScale, x, y, z, 0);
    Drawing().Scalef(x, y, z);
}
void LoggedPerspective(GLdouble fovyDegrees, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    NoteMatrix(MatrixCall::kPerspective, fovyDegrees, aspect, zNear, zFar);
    Drawing().Perspective(fovyDegrees, aspect, zNear, zFar);
}
void LoggedOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    NoteMatrix(MatrixCall::kOrtho2D, left, right, bottom, top);
    Drawing().Ortho2D(left, right, bottom, top);
}
// GL refuses a shininess outside 0 to 128 (the call then changes nothing),
// as it refuses a spot exponent outside it or a cutoff other than 0 to 90 or 180.
bool Accepted(GLenum pname, const GLfloat* params) {
    if (pname == kShininess || pname == kSpotExponent) return params[0] >= 0 && params[0] <= 128;
    if (pname == kSpotCutoff) return (params[0] >= 0 && params[0] <= 90) || params[0] == 180;
    return true;
}

void LoggedLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    if (!State().compiling && Accepted(pname, params)) {
        StateCall call = Call(StateCall::kLight, light, pname);
        std::memcpy(call.floats, params, sizeof(float) * static_cast<size_t>(LightValues(pname)));
        if (pname == kPosition || pname == kSpotDirection) call.modelview = State().log.matrices[0];
        Note(call);
    }
    Drawing().Lightfv(light, pname, params);
}
void NoteMaterial(GLenum face, GLenum pname, const GLfloat* params) {
    StateCall call = Call(StateCall::kMaterial, face, pname);
    std::memcpy(call.floats, params, sizeof(float) * static_cast<size_t>(MaterialValues(pname)));
    Note(call);
}
void LoggedMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    if (!State().compiling && Accepted(pname, params)) {
        // Both faces, and ambient and diffuse, are kept apart, as GL keeps them.
        for (GLenum oneFace : {kFront, kBack}) {
            if (face != oneFace && face != kFrontAndBack) continue;
            if (pname == kAmbientAndDiffuse) {
                NoteMaterial(oneFace, kAmbient, params);
                NoteMaterial(oneFace, kDiffuse, params);
            } else {
                NoteMaterial(oneFace, pname, params);
            }
        }
    }
    Drawing().Materialfv(face, pname, params);
}
void NoteEnum(StateCall::Kind kind, GLenum first, GLint value, GLint second = 0) {
    if (State().compiling) return;
    StateCall call = Call(kind, first);
    call.integers[0] = value;
    call.integers[1] = second;
    Note(call);
}
void LoggedShadeModel(GLenum mode) {
    NoteEnum(StateCall::kShadeModel, 0, static_cast<GLint>(mode));
    Drawing().ShadeModel(mode);
}
void LoggedBindTexture(GLenum target, GLuint texture) {
    NoteEnum(StateCall::kBoundTexture, target, static_cast<GLint>(texture));
    Drawing().BindTexture(target, texture);
}
void LoggedPixelStorei(GLenum pname, GLint param) {
    NoteEnum(StateCall::kPixelStore, pname, param);
    Drawing().PixelStorei(pname, param);
}
void LoggedDepthFunc(GLenum func) {
    NoteEnum(StateCall::kDepthFunc, 0, static_cast<GLint>(func));
    Drawing().DepthFunc(func);
}
void LoggedDepthMask(GLboolean flag) {
    NoteEnum(StateCall::kDepthMask, 0, flag);
    Drawing().DepthMask(flag);
}
void LoggedBlendFunc(GLenum sourceFactor, GLenum destinationFactor) {
    NoteEnum(StateCall::kBlendFunc, 0, static_cast<GLint>(sourceFactor), static_cast<GLint>(destinationFactor));
    Drawing().BlendFunc(sourceFactor, destinationFactor);
}
void LoggedCullFace(GLenum mode) {
    NoteEnum(StateCall::kCullFace, 0, static_cast<GLint>(mode));
    Drawing().CullFace(mode);
}
void NoteFloats(StateCall::Kind kind, float a, float b, float c, float d) {
    if (State().compiling) return;
    StateCall call = Call(kind);
    call.floats[0] = a, call.floats[1] = b, call.floats[2] = c, call.floats[3] = d;
    Note(call);
}
void LoggedClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    NoteFloats(StateCall::kClearColor, red, green, blue, alpha);
    Drawing().ClearColor(red, green, blue, alpha);
}
void LoggedClearDepth(GLclampd depth) {
    if (!State().compiling) {
        StateCall call = Call(StateCall::kClearDepth);
        call.number = depth;
        Note(call);
    }
    Drawing().ClearDepth(depth);
}
void LoggedColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    NoteFloats(StateCall::kColor, red, green, blue, 1);
    Drawing().Color3f(red, green, blue);
}
void LoggedColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    NoteFloats(StateCall::kColor, red, green, blue, alpha);
    Drawing().Color4f(red, green, blue, alpha);
}
void LoggedTexCoord2i(GLint s, GLint t) {
    NoteFloats(StateCall::kTexCoord, static_cast<float>(s), static_cast<float>(t), 0, 0);
    Drawing().TexCoord2i(s, t);
}
void LoggedTexCoord2f(GLfloat s, GLfloat t) {
    NoteFloats(StateCall::kTexCoord, s, t, 0, 0);
    Drawing().TexCoord2f(s, t);
}

Backend LoggedTable(const Backend& drawing) {
    Backend table = drawing;
    table.contextCreated = LoggedContextCreated;
    table.NewList = LoggedNewList;
    table.EndList = LoggedEndList;
    table.Enable = LoggedEnable;
    table.Disable = LoggedDisable;
    table.EnableClientState = LoggedEnableClientState;
    table.DisableClientState = LoggedDisableClientState;
    table.VertexPointer = LoggedVertexPointer;
    table.TexCoordPointer = LoggedTexCoordPointer;
    table.NormalPointer = LoggedNormalPointer;
    table.MatrixMode = LoggedMatrixMode;
    table.LoadIdentity = LoggedLoadIdentity;
    table.Translatef = LoggedTranslatef;
    table.Rotatef = LoggedRotatef;
    table.Scalef = LoggedScalef;
    table.Perspective = LoggedPerspective;
    table.Ortho2D = LoggedOrtho2D;
    table.Lightfv = LoggedLightfv;
    table.Materialfv = LoggedMaterialfv;
    table.ShadeModel = LoggedShadeModel;
    table.BindTexture = LoggedBindTexture;
    table.PixelStorei = LoggedPixelStorei;
    table.DepthFunc = LoggedDepthFunc;
    table.DepthMask = LoggedDepthMask;
    table.BlendFunc = LoggedBlendFunc;
    table.CullFace = LoggedCullFace;
    table.ClearColor = LoggedClearColor;
    table.ClearDepth = LoggedClearDepth;
    table.Color3f = LoggedColor3f;
    table.Color4f = LoggedColor4f;
    table.TexCoord2i = LoggedTexCoord2i;
    table.TexCoord2f = LoggedTexCoord2f;
    return table;
}

// The matrix of the current mode made again from its calls.
void ReplayMatrix(const MatrixCalls& calls) {
    const Backend& d = Drawing();
    d.LoadIdentity();
    for (const MatrixCall& c : calls) {
        const double* v = c.values;
        auto f = [v](int i) { return static_cast<GLfloat>(v[i]); };
        switch (c.kind) {
            case MatrixCall::kTranslate: d.Translatef(f(0), f(1), f(2)); break;
            case MatrixCall::kRotate: d.Rotatef(f(0), f(1), f(2), f(3)); break;
            case MatrixCall::kScale: d.Scalef(f(0), f(1), f(2)); break;
            case MatrixCall::kPerspective: d.Perspective(v[0], v[1], v[2], v[3]); break;
            case MatrixCall::kOrtho2D: d.Ortho2D(v[0], v[1], v[2], v[3]); break;
        }
    }
}

void Replay(const StateCall& c) {
    const Backend& d = Drawing();
    auto e = [](GLint value) { return static_cast<GLenum>(value); };
    switch (c.kind) {
        case StateCall::kSwitch: c.integers[0] ? d.Enable(c.first) : d.Disable(c.first); break;
        case StateCall::kClientArray: c.integers[0] ? d.EnableClientState(c.first) : d.DisableClientState(c.first); break;
        case StateCall::kVertexPointer: d.VertexPointer(c.integers[0], e(c.integers[1]), c.integers[2], c.pointer); break;
        case StateCall::kTexCoordPointer: d.TexCoordPointer(c.integers[0], e(c.integers[1]), c.integers[2], c.pointer); break;
        case StateCall::kNormalPointer: d.NormalPointer(e(c.integers[1]), c.integers[2], c.pointer); break;
        case StateCall::kLight:
            if (c.second == kPosition || c.second == kSpotDirection) {
                d.MatrixMode(kModelview);
                ReplayMatrix(c.modelview);
            }
            d.Lightfv(c.first, c.second, c.floats);
            break;
        case StateCall::kMaterial: d.Materialfv(c.first, c.second, c.floats); break;
        case StateCall::kShadeModel: d.ShadeModel(e(c.integers[0])); break;
        case StateCall::kBoundTexture: d.BindTexture(c.first, static_cast<GLuint>(c.integers[0])); break;
        case StateCall::kPixelStore: d.PixelStorei(c.first, c.integers[0]); break;
        case StateCall::kClearColor: d.ClearColor(c.floats[0], c.floats[1], c.floats[2], c.floats[3]); break;
        case StateCall::kClearDepth: d.ClearDepth(c.number); break;
        case StateCall::kDepthFunc: d.DepthFunc(e(c.integers[0])); break;
        case StateCall::kDepthMask: d.DepthMask(static_cast<GLboolean>(c.integers[0])); break;
        case StateCall::kBlendFunc: d.BlendFunc(e(c.integers[0]), e(c.integers[1])); break;
        case StateCall::kCullFace: d.CullFace(e(c.integers[0])); break;
        case StateCall::kColor: d.Color4f(c.floats[0], c.floats[1], c.floats[2], c.floats[3]); break;
        case StateCall::kTexCoord: d.TexCoord2f(c.floats[0], c.floats[1]); break;
    }
}

void SetFloats(StateCall* call, float a, float b, float c, float d) {
    call->floats[0] = a, call->floats[1] = b, call->floats[2] = c, call->floats[3] = d;
}

// GL's initial value of what a call set: what a state logged later than the
// one put back had never changed.
StateCall Initial(const StateCall& set) {
    StateCall c = Call(set.kind, set.first, set.second);
    switch (set.kind) {
        case StateCall::kSwitch: c.integers[0] = set.first == kDither || set.first == kMultisample; break;
        case StateCall::kVertexPointer: case StateCall::kTexCoordPointer:
            c.integers[0] = 4, c.integers[1] = static_cast<GLint>(kFloat);
            break;
        case StateCall::kNormalPointer: c.integers[1] = static_cast<GLint>(kFloat); break;
        case StateCall::kLight: {
            bool first = set.first == kLight0;
            if (set.second == kDiffuse || set.second == kSpecular) SetFloats(&c, first, first, first, 1);
            else if (set.second == kAmbient) SetFloats(&c, 0, 0, 0, 1);
            else if (set.second == kPosition) SetFloats(&c, 0, 0, 1, 0);
            else if (set.second == kSpotDirection) SetFloats(&c, 0, 0, -1, 0);
            else if (set.second == kSpotCutoff) SetFloats(&c, 180, 0, 0, 0);
            else if (set.second == 0x1207) SetFloats(&c, 1, 0, 0, 0);    // GL_CONSTANT_ATTENUATION
            break;
        }
        case StateCall::kMaterial:
            if (set.second == kAmbient) SetFloats(&c, 0.2f, 0.2f, 0.2f, 1);
            else if (set.second == kDiffuse) SetFloats(&c, 0.8f, 0.8f, 0.8f, 1);
            else if (set.second == kSpecular || set.second == kEmission) SetFloats(&c, 0, 0, 0, 1);
            break;
        case StateCall::kShadeModel: c.integers[0] = static_cast<GLint>(kSmooth); break;
        case StateCall::kPixelStore: c.integers[0] = set.first == kUnpackAlignment ? 4 : 0; break;
        case StateCall::kClearDepth: c.number = 1; break;
        case StateCall::kDepthFunc: c.integers[0] = static_cast<GLint>(kLess); break;
        case StateCall::kDepthMask: c.integers[0] = 1; break;
        case StateCall::kBlendFunc: c.integers[0] = static_cast<GLint>(kOne), c.integers[1] = static_cast<GLint>(kZero); break;
        case StateCall::kCullFace: c.integers[0] = static_cast<GLint>(kBack); break;
        case StateCall::kColor: SetFloats(&c, 1, 1, 1, 1); break;
        default: break;
    }
    return c;
}

}  // namespace

const Backend& Logged(const Backend& drawing) {
    static const Backend table = (State().drawing = &drawing, LoggedTable(drawing));
    return table;
}

GlStateLog CurrentGlState() { return State().log; }

void RestoreGlState(const GlStateLog& state) {
    const Backend& d = Drawing();
    d.drawPending();
    for (const auto& [key, call] : State().log.calls)
        if (!state.calls.count(key)) Replay(Initial(call));
    for (const auto& [key, call] : state.calls) Replay(call);
    for (GLenum mode : {kModelview, kProjection, kTexture}) {
        d.MatrixMode(mode);
        ReplayMatrix(state.matrices[MatrixIndex(mode)]);
    }
    d.MatrixMode(state.matrixMode);
    State().log = state;
    State().compiling = false;
}

}  // namespace platform::gl
