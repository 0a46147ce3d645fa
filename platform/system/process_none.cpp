// In the browser there are no child processes: a capture's encoder or a
// benchmark's runs cannot be started (both are desktop-only), which their
// callers report as for a system without fork.
#include "system/process.h"

#include <cerrno>

namespace platform::process {

pid_t Start(const std::vector<std::string>&, const Options&) {
    errno = ENOSYS;
    return -1;
}

int Wait(pid_t, struct rusage*) { return -1; }

bool WriteAll(int, const void*, size_t) { return false; }

}  // namespace platform::process
