// The program's GL calls, listed once: the part of OpenGL 1.1 and GLU that
// the engine and the scenes use. Everything else is made from this list with
// GL's own types (gl_types.h): the declarations of gl_calls.h, the GL names
// of gl.h (generated at build time, see cmake/GlNames.cmake), the forwarding
// to the backend in use, the backend table and each backend's fill.
//
// X(return type, Name, the GL name, (parameters), (arguments))
#pragma once

#include "platform/gl_types.h"

// Carried out by a backend (gl/backend.h).
#define PQN_GL_BACKEND_CALLS(X)                                                                                  \
    /* Drawing: immediate mode, client arrays and display lists. */                                              \
    X(void, Begin, glBegin, (GLenum mode), (mode))                                                               \
    X(void, End, glEnd, (), ())                                                                                  \
    X(void, Vertex2i, glVertex2i, (GLint x, GLint y), (x, y))                                                    \
    X(void, Vertex3f, glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                  \
    X(void, TexCoord2i, glTexCoord2i, (GLint s, GLint t), (s, t))                                                \
    X(void, TexCoord2f, glTexCoord2f, (GLfloat s, GLfloat t), (s, t))                                            \
    X(void, Color3f, glColor3f, (GLfloat red, GLfloat green, GLfloat blue), (red, green, blue))                  \
    X(void, Color4f, glColor4f, (GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha),                       \
      (red, green, blue, alpha))                                                                                 \
    X(void, EnableClientState, glEnableClientState, (GLenum array), (array))                                     \
    X(void, DisableClientState, glDisableClientState, (GLenum array), (array))                                   \
    X(void, VertexPointer, glVertexPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* pointer),    \
      (size, type, stride, pointer))                                                                             \
    X(void, TexCoordPointer, glTexCoordPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* pointer), \
      (size, type, stride, pointer))                                                                             \
    X(void, NormalPointer, glNormalPointer, (GLenum type, GLsizei stride, const GLvoid* pointer),                \
      (type, stride, pointer))                                                                                   \
    X(void, DrawElements, glDrawElements, (GLenum mode, GLsizei count, GLenum type, const GLvoid* indices),      \
      (mode, count, type, indices))                                                                              \
    X(GLuint, GenLists, glGenLists, (GLsizei range), (range))                                                    \
    X(void, NewList, glNewList, (GLuint list, GLenum mode), (list, mode))                                        \
    X(void, EndList, glEndList, (), ())                                                                          \
    X(void, CallList, glCallList, (GLuint list), (list))                                                         \
    X(void, DeleteLists, glDeleteLists, (GLuint list, GLsizei range), (list, range))                             \
    /* Transforms. */                                                                                            \
    X(void, MatrixMode, glMatrixMode, (GLenum mode), (mode))                                                     \
    X(void, LoadIdentity, glLoadIdentity, (), ())                                                                \
    X(void, Translatef, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                              \
    X(void, Rotatef, glRotatef, (GLfloat angleDegrees, GLfloat x, GLfloat y, GLfloat z), (angleDegrees, x, y, z)) \
    X(void, Scalef, glScalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                      \
    X(void, Perspective, gluPerspective, (GLdouble fovyDegrees, GLdouble aspect, GLdouble zNear, GLdouble zFar), \
      (fovyDegrees, aspect, zNear, zFar))                                                                        \
    X(void, Ortho2D, gluOrtho2D, (GLdouble left, GLdouble right, GLdouble bottom, GLdouble top),                 \
      (left, right, bottom, top))                                                                                \
    /* Lighting. */                                                                                              \
    X(void, Lightfv, glLightfv, (GLenum light, GLenum pname, const GLfloat* params), (light, pname, params))     \
    X(void, Materialfv, glMaterialfv, (GLenum face, GLenum pname, const GLfloat* params), (face, pname, params)) \
    X(void, ShadeModel, glShadeModel, (GLenum mode), (mode))                                                     \
    /* Textures. */                                                                                              \
    X(void, GenTextures, glGenTextures, (GLsizei n, GLuint* textures), (n, textures))                            \
    X(void, BindTexture, glBindTexture, (GLenum target, GLuint texture), (target, texture))                      \
    X(void, TexImage2D, glTexImage2D,                                                                            \
      (GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,            \
       GLenum format, GLenum type, const GLvoid* pixels),                                                        \
      (target, level, internalFormat, width, height, border, format, type, pixels))                              \
    X(GLint, Build2DMipmaps, gluBuild2DMipmaps,                                                                  \
      (GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,                   \
       const void* pixels),                                                                                      \
      (target, components, width, height, format, type, pixels))                                                 \
    X(void, TexParameteri, glTexParameteri, (GLenum target, GLenum pname, GLint param), (target, pname, param))  \
    X(void, DeleteTextures, glDeleteTextures, (GLsizei n, const GLuint* textures), (n, textures))                \
    X(void, PixelStorei, glPixelStorei, (GLenum pname, GLint param), (pname, param))                             \
    /* Fragments and the frame. */                                                                               \
    X(void, Enable, glEnable, (GLenum cap), (cap))                                                               \
    X(void, Disable, glDisable, (GLenum cap), (cap))                                                             \
    X(void, Clear, glClear, (GLbitfield mask), (mask))                                                           \
    X(void, ClearColor, glClearColor, (GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha),             \
      (red, green, blue, alpha))                                                                                 \
    X(void, ClearDepth, glClearDepth, (GLclampd depth), (depth))                                                 \
    X(void, DepthFunc, glDepthFunc, (GLenum func), (func))                                                       \
    X(void, DepthMask, glDepthMask, (GLboolean flag), (flag))                                                    \
    X(void, BlendFunc, glBlendFunc, (GLenum sourceFactor, GLenum destinationFactor),                             \
      (sourceFactor, destinationFactor))                                                                         \
    X(void, CullFace, glCullFace, (GLenum mode), (mode))                                                         \
    X(void, Flush, glFlush, (), ())

// Taking window pixels, mapped onto the drawing surface (present/surface.cpp),
// the same whichever backend draws.
#define PQN_GL_SURFACE_CALLS(X)                                                                                  \
    X(void, Viewport, glViewport, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))      \
    X(void, Scissor, glScissor, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))        \
    X(void, LineWidth, glLineWidth, (GLfloat widthPx), (widthPx))
