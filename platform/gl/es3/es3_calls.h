// The program's GL calls on the shader path, each as GL 1.1 defines it
// (draw.cpp draws, es3_calls.cpp keeps the rest; shader_path.cpp tables them).
#pragma once

#include "platform/gl_types.h"

namespace platform::gl::es3::calls {
// Drawing: immediate mode, client arrays and display lists.
void Begin(GLenum mode);
void End();
void Vertex2i(GLint x, GLint y);
void Vertex3f(GLfloat x, GLfloat y, GLfloat z);
void TexCoord2i(GLint s, GLint t);
void TexCoord2f(GLfloat s, GLfloat t);
void Color3f(GLfloat red, GLfloat green, GLfloat blue);
void Color4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void EnableClientState(GLenum array);
void DisableClientState(GLenum array);
void VertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
void TexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
void NormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer);
void DrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices);
GLuint GenLists(GLsizei range);
void NewList(GLuint list, GLenum mode);
void EndList();
void CallList(GLuint list);
void DeleteLists(GLuint list, GLsizei range);

// Transforms.
void MatrixMode(GLenum mode);
void LoadIdentity();
void Translatef(GLfloat x, GLfloat y, GLfloat z);
void Rotatef(GLfloat angleDegrees, GLfloat x, GLfloat y, GLfloat z);
void Scalef(GLfloat x, GLfloat y, GLfloat z);
void Perspective(GLdouble fovyDegrees, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void Ortho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);

// Lighting.
void Lightfv(GLenum light, GLenum pname, const GLfloat* params);
void Materialfv(GLenum face, GLenum pname, const GLfloat* params);
void ShadeModel(GLenum mode);

// Textures.
void GenTextures(GLsizei n, GLuint* textures);
void BindTexture(GLenum target, GLuint texture);
void TexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border, GLenum format, GLenum type, const GLvoid* pixels);
GLint Build2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type, const void* pixels);
void TexParameteri(GLenum target, GLenum pname, GLint param);
void DeleteTextures(GLsizei n, const GLuint* textures);
void PixelStorei(GLenum pname, GLint param);

// Fragments and the frame.
void Enable(GLenum cap);
void Disable(GLenum cap);
void Clear(GLbitfield mask);
void ClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void ClearDepth(GLclampd depth);
void DepthFunc(GLenum func);
void DepthMask(GLboolean flag);
void BlendFunc(GLenum sourceFactor, GLenum destinationFactor);
void CullFace(GLenum mode);

}  // namespace platform::gl::es3::calls
