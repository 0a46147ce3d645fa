// The GL state the program's calls have set, kept as the calls that set it:
// the last call of each kind (a switch, a light's colour, the blend
// function, the current colour, ...) and each matrix as the calls made on it
// since it was last loaded with the identity. Replaying them through the
// backend puts GL (or the shader path standing for it) back exactly as it
// was, with the driver's own arithmetic: what a seek needs to go on from a
// checkpoint. The log is a backend of its own, in front of the one that
// draws (see backend.h).
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "gl/backend.h"

namespace platform::gl {

// One call on a matrix: glTranslatef, glRotatef, glScalef, gluPerspective or gluOrtho2D.
struct MatrixCall {
    enum Kind : uint8_t { kTranslate, kRotate, kScale, kPerspective, kOrtho2D } kind;
    double values[4];
};
using MatrixCalls = std::vector<MatrixCall>;

// The last call of one kind; its key is (kind, first enum, second enum).
struct StateCall {
    enum Kind : uint8_t {
        kSwitch, kClientArray, kVertexPointer, kTexCoordPointer, kNormalPointer, kLight, kMaterial, kShadeModel,
        kBoundTexture, kPixelStore, kClearColor, kClearDepth, kDepthFunc, kDepthMask, kBlendFunc, kCullFace,
        kColor, kTexCoord
    } kind;
    GLenum first = 0, second = 0;
    GLint integers[3] = {0, 0, 0};
    float floats[4] = {0, 0, 0, 0};
    double number = 0;
    const void* pointer = nullptr;
    MatrixCalls modelview;  // a light's position and direction: the modelview they were given under
};

struct GlStateLog {
    std::map<uint64_t, StateCall> calls;
    MatrixCalls matrices[3];  // modelview, projection, texture
    GLenum matrixMode = 0x1700;  // GL_MODELVIEW
};

// The state set so far, and putting it back (through the drawing table).
GlStateLog CurrentGlState();
void RestoreGlState(const GlStateLog& state);

}  // namespace platform::gl
