// A last word when the program crashes: on SIGSEGV, SIGBUS, SIGFPE, SIGILL or
// SIGABRT one line naming the signal and the program's version, and a
// backtrace of the crashing thread, go to stderr; then the signal is raised
// again, so the exit status and any core dump are what they would have been.
#pragma once

namespace platform {

// `version` must live for the whole run (a string literal).
void InstallCrashReport(const char* version);

}  // namespace platform
