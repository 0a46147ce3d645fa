// The program's GL calls on the shader path, each as GL 1.1 defines it, one
// function for each call of gl_call_list.h: drawing, arrays and lists
// (draw.cpp), and matrices, lights, textures and the switches
// (es3_calls.cpp). shader_path.cpp puts them into the shader path's table.
#pragma once

#include "platform/gl_call_list.h"

namespace platform::gl::es3::calls {

#define PQN_GL_DECLARE(returnType, Name, glName, parameters, arguments) returnType Name parameters;
PQN_GL_BACKEND_CALLS(PQN_GL_DECLARE)
#undef PQN_GL_DECLARE

}  // namespace platform::gl::es3::calls
