// The options of the run, set once at start-up and read everywhere.
#include "platform/options.h"

namespace platform {

namespace {

RunOptions& Stored() {
    static RunOptions options;
    return options;
}

}  // namespace

const RunOptions& Options() { return Stored(); }

void SetOptions(const RunOptions& options) {
    Stored() = options;
    if (Stored().framesPerSecond <= 0) Stored().framesPerSecond = 60;
}

}  // namespace platform
