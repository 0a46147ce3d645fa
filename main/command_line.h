// The command line of pqn, read into the options of the run.
#pragma once

#include <string>

#include "platform/options.h"

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    platform::RunOptions options;
    std::string dataDir;  // empty: the data set that goes with the program
    std::string problem;  // with Refuse: what is wrong, for the user
};

// What --help prints.
extern const char* const kUsage;

// Reads argv[1] to argv[argc - 1]. --help and --version end the reading;
// a value out of range, an unknown option or a combination that cannot be
// run gives Refuse with the reason.
CommandLine ParseCommandLine(int argc, const char* const* argv);
