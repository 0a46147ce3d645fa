// The program's GL calls, each handed to the backend in use (see backend.h).
#include "platform/gl_calls.h"

#include "gl/backend.h"

namespace platform::gl {

namespace {

const Backend* g_backend = &DefaultBackend();

}  // namespace

void UseBackend(const Backend& backend) { g_backend = &backend; }

const Backend& ActiveBackend() { return *g_backend; }

void Begin(GLenum mode) { g_backend->begin(mode); }
void End() { g_backend->end(); }
void Vertex2i(GLint x, GLint y) { g_backend->vertex2i(x, y); }
void Vertex3f(GLfloat x, GLfloat y, GLfloat z) { g_backend->vertex3f(x, y, z); }
void TexCoord2i(GLint s, GLint t) { g_backend->texCoord2i(s, t); }
void TexCoord2f(GLfloat s, GLfloat t) { g_backend->texCoord2f(s, t); }
void Color3f(GLfloat red, GLfloat green, GLfloat blue) { g_backend->color3f(red, green, blue); }
void Color4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) { g_backend->color4f(red, green, blue, alpha); }
void EnableClientState(GLenum array) { g_backend->enableClientState(array); }
void DisableClientState(GLenum array) { g_backend->disableClientState(array); }
void VertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    g_backend->vertexPointer(size, type, stride, pointer);
}
void TexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    g_backend->texCoordPointer(size, type, stride, pointer);
}
void NormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer) {
    g_backend->normalPointer(type, stride, pointer);
}
void DrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    g_backend->drawElements(mode, count, type, indices);
}
GLuint GenLists(GLsizei range) { return g_backend->genLists(range); }
void NewList(GLuint list, GLenum mode) { g_backend->newList(list, mode); }
void EndList() { g_backend->endList(); }
void CallList(GLuint list) { g_backend->callList(list); }
void DeleteLists(GLuint list, GLsizei range) { g_backend->deleteLists(list, range); }
void MatrixMode(GLenum mode) { g_backend->matrixMode(mode); }
void LoadIdentity() { g_backend->loadIdentity(); }
void Translatef(GLfloat x, GLfloat y, GLfloat z) { g_backend->translatef(x, y, z); }
void Rotatef(GLfloat angleDegrees, GLfloat x, GLfloat y, GLfloat z) { g_backend->rotatef(angleDegrees, x, y, z); }
void Scalef(GLfloat x, GLfloat y, GLfloat z) { g_backend->scalef(x, y, z); }
void Perspective(GLdouble fovyDegrees, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    g_backend->perspective(fovyDegrees, aspect, zNear, zFar);
}
void Ortho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    g_backend->ortho2D(left, right, bottom, top);
}
void Lightfv(GLenum light, GLenum pname, const GLfloat* params) { g_backend->lightfv(light, pname, params); }
void Materialfv(GLenum face, GLenum pname, const GLfloat* params) { g_backend->materialfv(face, pname, params); }
void ShadeModel(GLenum mode) { g_backend->shadeModel(mode); }
void GenTextures(GLsizei n, GLuint* textures) { g_backend->genTextures(n, textures); }
void BindTexture(GLenum target, GLuint texture) { g_backend->bindTexture(target, texture); }
void TexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    g_backend->texImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}
GLint Build2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type, const void* pixels) {
    return g_backend->build2DMipmaps(target, components, width, height, format, type, pixels);
}
void TexParameteri(GLenum target, GLenum pname, GLint param) { g_backend->texParameteri(target, pname, param); }
void DeleteTextures(GLsizei n, const GLuint* textures) { g_backend->deleteTextures(n, textures); }
void PixelStorei(GLenum pname, GLint param) { g_backend->pixelStorei(pname, param); }
void Enable(GLenum cap) { g_backend->enable(cap); }
void Disable(GLenum cap) { g_backend->disable(cap); }
void Clear(GLbitfield mask) { g_backend->clear(mask); }
void ClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    g_backend->clearColor(red, green, blue, alpha);
}
void ClearDepth(GLclampd depth) { g_backend->clearDepth(depth); }
void DepthFunc(GLenum func) { g_backend->depthFunc(func); }
void DepthMask(GLboolean flag) { g_backend->depthMask(flag); }
void BlendFunc(GLenum sourceFactor, GLenum destinationFactor) { g_backend->blendFunc(sourceFactor, destinationFactor); }
void CullFace(GLenum mode) { g_backend->cullFace(mode); }

}  // namespace platform::gl
