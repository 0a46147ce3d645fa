// The program's GL calls carried out by the driver's own OpenGL 1.1 and GLU
// (the fixed-function pipeline), each as it is.
#include <SDL_video.h>
#include <GL/glu.h>

#include "gl/backend.h"

namespace platform::gl {

namespace {

void Nothing() {}

// GLU 1.3's error for a call it cannot make (not named in every glu.h).
constexpr GLint kGluInvalidOperation = 100904;

// GLU reads GL's version string, which is null without a current context
// (GLU then crashes): without one this does nothing and reports an error, as
// GL's own calls then do nothing.
GLint GluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                        const void* pixels) {
    if (!SDL_GL_GetCurrentContext()) return kGluInvalidOperation;
    return ::gluBuild2DMipmaps(target, components, width, height, format, type, pixels);
}

Backend FixedFunctionTable() {
    Backend table{};
    table.contextCreated = Nothing;
    table.contextDeleting = Nothing;
    table.shaders = false;
#define PQN_GL_FILL(returnType, Name, glName, parameters, arguments) table.Name = ::glName;
    PQN_GL_BACKEND_CALLS(PQN_GL_FILL)
#undef PQN_GL_FILL
    table.Build2DMipmaps = GluBuild2DMipmaps;
    return table;
}

}  // namespace

const Backend& FixedFunction() {
    static const Backend table = FixedFunctionTable();
    return table;
}

}  // namespace platform::gl
