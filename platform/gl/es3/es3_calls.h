// The program's GL calls on the shader path, each as GL 1.1 defines it, put
// into the shader path's table by concern: drawing, arrays and lists
// (draw.cpp), and matrices, lights, textures and the switches (es3_calls.cpp).
#pragma once

#include "gl/backend.h"

namespace platform::gl::es3 {

void SetDrawingCalls(Backend* backend);
void SetStateCalls(Backend* backend);

}  // namespace platform::gl::es3
