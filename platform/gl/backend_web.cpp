// What draws in a browser: WebGL 2 has no fixed function, so the shaders do
// whatever --gl says.
#include "gl/backend.h"

namespace platform::gl {

const Backend& ChosenBackend() { return Logged(Es3()); }

}  // namespace platform::gl
