// The outputs a user asks for (a capture, shots, the trace). A write that
// fails is said once per output, naming the file and the reason in the
// system's words, and makes the program's exit status 1; the show goes on.
#pragma once

#include <string>

namespace platform {

// "pqn: cannot write PATH: REASON", once per path.
void ReportOutputFailure(const std::string& path, const std::string& reason);
// The reason of the last failed system call (errno) in the system's words.
std::string SystemReason();
// Whether any output could not be written.
bool OutputsFailed();
// Before anything is rendered: `folder` is (or, with `create`, is made) a
// folder that can be written. False with the message printed.
bool CheckOutputFolder(const std::string& folder, bool create);

}  // namespace platform
