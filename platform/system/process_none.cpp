// Where the program starts no child processes (a browser has none): a
// benchmark's runs cannot be started, which its callers report as for a
// system without fork. Nothing there looks for a program or feeds a child,
// so only these calls are here.
#include "system/process.h"

#include <cerrno>

namespace platform::system::process {

std::string OwnProgram() { return std::string(); }

ProcessId Start(const std::vector<std::string>&, const Options&) {
    errno = ENOSYS;
    return -1;
}

int Wait(ProcessId, Usage*) { return -1; }

bool WriteAll(int, const void*, size_t) { return false; }

}  // namespace platform::system::process
