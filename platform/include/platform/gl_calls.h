// The GL calls of the engine and the scenes as the platform implements them
// (platform/gl.h gives them their GL names), declared from the one list of
// them (gl_call_list.h).
#pragma once

#include "platform/gl_call_list.h"

namespace platform::gl {

#define PQN_GL_DECLARE(returnType, Name, glName, parameters, arguments) returnType Name parameters;
PQN_GL_BACKEND_CALLS(PQN_GL_DECLARE)
PQN_GL_SURFACE_CALLS(PQN_GL_DECLARE)
#undef PQN_GL_DECLARE

}  // namespace platform::gl
