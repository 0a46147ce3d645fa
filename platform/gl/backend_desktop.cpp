// What draws on a desktop (Linux or Windows): the driver's own fixed function unless --gl es3
// asks for the program's shaders.
#include "gl/backend.h"

#include "platform/options.h"

namespace platform::gl {

const Backend& ChosenBackend() { return Logged(Options().gl == GlWay::kEs3 ? Es3() : FixedFunction()); }

}  // namespace platform::gl
