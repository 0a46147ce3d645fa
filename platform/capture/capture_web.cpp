// In a browser there is no capture: no file system to keep frames in and no
// encoder to run. Asking for one is refused, saying why.
#include "platform/capture.h"

#include <cstdio>

namespace platform::capture {

bool Preflight(const std::string& out) {
    std::fprintf(stderr, "pqn: cannot capture %s: a capture is made by the desktop program, not in a browser\n",
                 out.c_str());
    return false;
}

bool Start(const std::string&, int, double, int, int) { return false; }
bool Active() { return false; }
bool WantsRgba() { return false; }
void Frame(std::vector<uint8_t>*, int, int) {}
void Audio(const int16_t*, size_t) {}
void Finish(bool) {}

}  // namespace platform::capture
