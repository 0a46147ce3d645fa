// The program's GL calls, each handed to the backend in use (see backend.h).
#include "platform/gl_calls.h"

#include "gl/backend.h"

namespace platform::gl {

#define PQN_GL_FORWARD(returnType, Name, glName, parameters, arguments) \
    returnType Name parameters { return ChosenBackend().Name arguments; }
PQN_GL_BACKEND_CALLS(PQN_GL_FORWARD)
#undef PQN_GL_FORWARD

}  // namespace platform::gl
