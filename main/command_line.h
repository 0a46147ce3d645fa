// The command line of pqn, read into the options of the run.
#pragma once

#include <string>
#include <vector>

#include "platform/options.h"

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse, ListAudioDevices, ListDisplays };
    Action action = Action::Run;
    platform::RunOptions options;
    std::string dataDir;  // empty: the data set that goes with the program
    std::string problem;  // with Refuse: what is wrong, for the user
};

// What --help prints.
extern const char* const kUsage;

// Reads argv[1] to argv[argc - 1]. --help, --version and the lists end the reading;
// a value out of range, an unknown option or a combination that cannot be
// run gives Refuse with the reason.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// Whether --at, --to and --loop-range name rows the show plays, given the
// rows of each order of the module loaded and the order the show ends at:
// empty when they do, else what is wrong and what is allowed.
std::string CheckPositions(const platform::RunOptions& options, const std::vector<uint32_t>& rowsPerOrder,
                           uint32_t endOrder);
