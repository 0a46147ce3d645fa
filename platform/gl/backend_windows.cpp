// What draws on Windows: the driver's own fixed function (opengl32 and
// glu32). The shaders' OpenGL 3 calls are not loaded on Windows yet, so
// --gl es3 draws with the fixed function too.
#include "gl/backend.h"

namespace platform::gl {

const Backend& ChosenBackend() { return FixedFunction(); }

}  // namespace platform::gl
