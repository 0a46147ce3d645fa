// Where the program starts no child processes (a browser has none): a
// benchmark's runs cannot be started, which its callers report as for a
// system without fork.
#include "system/process.h"

#include <cerrno>

namespace platform::process {

std::string FindProgram(const std::string&, std::string* whyNot) {
    if (whyNot) *whyNot = "not available here";
    return std::string();
}

ProcessId Start(const std::vector<std::string>&, const Options&) {
    errno = ENOSYS;
    return -1;
}

int Wait(ProcessId, Usage*) { return -1; }

bool WriteAll(int, const void*, size_t) { return false; }

void CloseInput(int) {}

void LowerThisThreadsPriority(int) {}

}  // namespace platform::process
