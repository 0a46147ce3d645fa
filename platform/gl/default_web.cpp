// In the browser (WebGL 2) there is no fixed function: the shaders draw.
#include "gl/backend.h"

namespace platform::gl {

const Backend& DefaultBackend() { return kEs3; }

}  // namespace platform::gl
