// The program's GL calls carried out by the driver's own OpenGL 1.1 and GLU
// (the fixed-function pipeline), each as it is.
#include <GL/glu.h>

#include "gl/backend.h"
#include "present/context.h"

namespace platform::gl {

namespace {

void Nothing() {}

// GLU reads GL's version string, which is null without a current context
// (GLU then crashes): without one this does nothing and reports an error, as
// GL's own calls then do nothing.
GLint GluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                        const void* pixels) {
    if (!SDL_GL_GetCurrentContext()) return GLU_INVALID_OPERATION;
    return ::gluBuild2DMipmaps(target, components, width, height, format, type, pixels);
}

}  // namespace

const Backend kFixedFunction = {
    .contextCreated = Nothing,
    .contextDeleting = Nothing,
    .begin = ::glBegin,
    .end = ::glEnd,
    .vertex2i = ::glVertex2i,
    .vertex3f = ::glVertex3f,
    .texCoord2i = ::glTexCoord2i,
    .texCoord2f = ::glTexCoord2f,
    .color3f = ::glColor3f,
    .color4f = ::glColor4f,
    .enableClientState = ::glEnableClientState,
    .disableClientState = ::glDisableClientState,
    .vertexPointer = ::glVertexPointer,
    .texCoordPointer = ::glTexCoordPointer,
    .normalPointer = ::glNormalPointer,
    .drawElements = ::glDrawElements,
    .genLists = ::glGenLists,
    .newList = ::glNewList,
    .endList = ::glEndList,
    .callList = ::glCallList,
    .deleteLists = ::glDeleteLists,
    .matrixMode = ::glMatrixMode,
    .loadIdentity = ::glLoadIdentity,
    .translatef = ::glTranslatef,
    .rotatef = ::glRotatef,
    .scalef = ::glScalef,
    .perspective = ::gluPerspective,
    .ortho2D = ::gluOrtho2D,
    .lightfv = ::glLightfv,
    .materialfv = ::glMaterialfv,
    .shadeModel = ::glShadeModel,
    .genTextures = ::glGenTextures,
    .bindTexture = ::glBindTexture,
    .texImage2D = ::glTexImage2D,
    .build2DMipmaps = GluBuild2DMipmaps,
    .texParameteri = ::glTexParameteri,
    .deleteTextures = ::glDeleteTextures,
    .pixelStorei = ::glPixelStorei,
    .enable = ::glEnable,
    .disable = ::glDisable,
    .clear = ::glClear,
    .clearColor = ::glClearColor,
    .clearDepth = ::glClearDepth,
    .depthFunc = ::glDepthFunc,
    .depthMask = ::glDepthMask,
    .blendFunc = ::glBlendFunc,
    .cullFace = ::glCullFace,
};

const Backend& DefaultBackend() { return kFixedFunction; }

}  // namespace platform::gl
