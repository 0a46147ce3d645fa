// OpenGL 1.1 and GLU, as the engine and the scenes call them.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

// The GL calls that take window pixels go through the platform, which maps
// them onto the drawing surface: it may have more pixels than the window has
// (a higher internal resolution) and place the picture inside a larger frame.
namespace platform::gl {
void Viewport(GLint x, GLint y, GLsizei width, GLsizei height);
void Scissor(GLint x, GLint y, GLsizei width, GLsizei height);
void LineWidth(GLfloat widthPx);
void PointSize(GLfloat sizePx);
// GLU reads GL's version string, which is null without a current context
// (GLU then crashes): without one this does nothing and reports an error, as
// GL's own calls then do nothing.
GLint Build2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                     const void* pixels);
}  // namespace platform::gl

#define glViewport platform::gl::Viewport
#define glScissor platform::gl::Scissor
#define glLineWidth platform::gl::LineWidth
#define glPointSize platform::gl::PointSize
#define gluBuild2DMipmaps platform::gl::Build2DMipmaps
