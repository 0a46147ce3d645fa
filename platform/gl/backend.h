// The ways the program's GL calls are carried out, each a table of the same
// calls: the driver's own fixed-function GL 1.1 and GLU (fixed_function.cpp)
// and our implementation on OpenGL ES 3.0 shaders (es3/). The calls of
// gl_calls.h go to the table in use (gl_calls.cpp); the viewport, the scissor
// and the line width are the drawing surface's, the same on every table.
#pragma once

#include "platform/gl_types.h"

namespace platform::gl {

struct Backend {
    // A context was made current for the first time, or is about to go.
    void (*contextCreated)();
    void (*contextDeleting)();
    // Drawing: immediate mode, client arrays and display lists.
    void (*begin)(GLenum mode);
    void (*end)();
    void (*vertex2i)(GLint x, GLint y);
    void (*vertex3f)(GLfloat x, GLfloat y, GLfloat z);
    void (*texCoord2i)(GLint s, GLint t);
    void (*texCoord2f)(GLfloat s, GLfloat t);
    void (*color3f)(GLfloat red, GLfloat green, GLfloat blue);
    void (*color4f)(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
    void (*enableClientState)(GLenum array);
    void (*disableClientState)(GLenum array);
    void (*vertexPointer)(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
    void (*texCoordPointer)(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
    void (*normalPointer)(GLenum type, GLsizei stride, const GLvoid* pointer);
    void (*drawElements)(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices);
    GLuint (*genLists)(GLsizei range);
    void (*newList)(GLuint list, GLenum mode);
    void (*endList)();
    void (*callList)(GLuint list);
    void (*deleteLists)(GLuint list, GLsizei range);
    // Transforms.
    void (*matrixMode)(GLenum mode);
    void (*loadIdentity)();
    void (*translatef)(GLfloat x, GLfloat y, GLfloat z);
    void (*rotatef)(GLfloat angleDegrees, GLfloat x, GLfloat y, GLfloat z);
    void (*scalef)(GLfloat x, GLfloat y, GLfloat z);
    void (*perspective)(GLdouble fovyDegrees, GLdouble aspect, GLdouble zNear, GLdouble zFar);
    void (*ortho2D)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);
    // Lighting.
    void (*lightfv)(GLenum light, GLenum pname, const GLfloat* params);
    void (*materialfv)(GLenum face, GLenum pname, const GLfloat* params);
    void (*shadeModel)(GLenum mode);
    // Textures.
    void (*genTextures)(GLsizei n, GLuint* textures);
    void (*bindTexture)(GLenum target, GLuint texture);
    void (*texImage2D)(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border, GLenum format, GLenum type, const GLvoid* pixels);
    GLint (*build2DMipmaps)(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type, const void* pixels);
    void (*texParameteri)(GLenum target, GLenum pname, GLint param);
    void (*deleteTextures)(GLsizei n, const GLuint* textures);
    void (*pixelStorei)(GLenum pname, GLint param);
    // Fragments and the frame.
    void (*enable)(GLenum cap);
    void (*disable)(GLenum cap);
    void (*clear)(GLbitfield mask);
    void (*clearColor)(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
    void (*clearDepth)(GLclampd depth);
    void (*depthFunc)(GLenum func);
    void (*depthMask)(GLboolean flag);
    void (*blendFunc)(GLenum sourceFactor, GLenum destinationFactor);
    void (*cullFace)(GLenum mode);
};

extern const Backend kFixedFunction;  // not where there is no fixed function (the browser)
extern const Backend kEs3;
// What draws unless --gl es3 is given: the fixed function where the driver
// has one, the shaders where it has not.
const Backend& DefaultBackend();

// The table the calls go to from now on (the fixed function until then).
void UseBackend(const Backend& backend);
const Backend& ActiveBackend();

}  // namespace platform::gl
