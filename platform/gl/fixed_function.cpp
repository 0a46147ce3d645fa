// The program's GL calls carried out by the driver's own OpenGL 1.1 and GLU
// (the fixed-function pipeline), each as it is.
#include <GL/glu.h>

#include "platform/gl_calls.h"
#include "present/context.h"

namespace platform::gl {

void Begin(GLenum mode) { ::glBegin(mode); }
void End() { ::glEnd(); }
void Vertex2i(GLint x, GLint y) { ::glVertex2i(x, y); }
void Vertex3f(GLfloat x, GLfloat y, GLfloat z) { ::glVertex3f(x, y, z); }
void TexCoord2i(GLint s, GLint t) { ::glTexCoord2i(s, t); }
void TexCoord2f(GLfloat s, GLfloat t) { ::glTexCoord2f(s, t); }
void Color3f(GLfloat red, GLfloat green, GLfloat blue) { ::glColor3f(red, green, blue); }
void Color4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) { ::glColor4f(red, green, blue, alpha); }
void EnableClientState(GLenum array) { ::glEnableClientState(array); }
void DisableClientState(GLenum array) { ::glDisableClientState(array); }
void VertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    ::glVertexPointer(size, type, stride, pointer);
}
void TexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    ::glTexCoordPointer(size, type, stride, pointer);
}
void NormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer) { ::glNormalPointer(type, stride, pointer); }
void DrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    ::glDrawElements(mode, count, type, indices);
}
GLuint GenLists(GLsizei range) { return ::glGenLists(range); }
void NewList(GLuint list, GLenum mode) { ::glNewList(list, mode); }
void EndList() { ::glEndList(); }
void CallList(GLuint list) { ::glCallList(list); }
void DeleteLists(GLuint list, GLsizei range) { ::glDeleteLists(list, range); }
void MatrixMode(GLenum mode) { ::glMatrixMode(mode); }
void LoadIdentity() { ::glLoadIdentity(); }
void Translatef(GLfloat x, GLfloat y, GLfloat z) { ::glTranslatef(x, y, z); }
void Rotatef(GLfloat angleDegrees, GLfloat x, GLfloat y, GLfloat z) { ::glRotatef(angleDegrees, x, y, z); }
void Scalef(GLfloat x, GLfloat y, GLfloat z) { ::glScalef(x, y, z); }
void Perspective(GLdouble fovyDegrees, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    ::gluPerspective(fovyDegrees, aspect, zNear, zFar);
}
void Ortho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) { ::gluOrtho2D(left, right, bottom, top); }
void Lightfv(GLenum light, GLenum pname, const GLfloat* params) { ::glLightfv(light, pname, params); }
void Materialfv(GLenum face, GLenum pname, const GLfloat* params) { ::glMaterialfv(face, pname, params); }
void ShadeModel(GLenum mode) { ::glShadeModel(mode); }
void GenTextures(GLsizei n, GLuint* textures) { ::glGenTextures(n, textures); }
void BindTexture(GLenum target, GLuint texture) { ::glBindTexture(target, texture); }
void TexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    ::glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}
void TexParameteri(GLenum target, GLenum pname, GLint param) { ::glTexParameteri(target, pname, param); }
void DeleteTextures(GLsizei n, const GLuint* textures) { ::glDeleteTextures(n, textures); }
void PixelStorei(GLenum pname, GLint param) { ::glPixelStorei(pname, param); }
void Enable(GLenum cap) { ::glEnable(cap); }
void Disable(GLenum cap) { ::glDisable(cap); }
void Clear(GLbitfield mask) { ::glClear(mask); }
void ClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    ::glClearColor(red, green, blue, alpha);
}
void ClearDepth(GLclampd depth) { ::glClearDepth(depth); }
void DepthFunc(GLenum func) { ::glDepthFunc(func); }
void DepthMask(GLboolean flag) { ::glDepthMask(flag); }
void BlendFunc(GLenum sourceFactor, GLenum destinationFactor) { ::glBlendFunc(sourceFactor, destinationFactor); }
void CullFace(GLenum mode) { ::glCullFace(mode); }

// GLU reads GL's version string, which is null without a current context.
GLint Build2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                     const void* pixels) {
    if (!SDL_GL_GetCurrentContext()) return GLU_INVALID_OPERATION;
    return ::gluBuild2DMipmaps(target, components, width, height, format, type, pixels);
}

}  // namespace platform::gl
