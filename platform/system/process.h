// Child processes (the encoders of a capture, the benchmark's runs of this
// program): started with pipes to their standard input or from their
// standard output, waited for, and written to in full; a file per system
// (process_posix.cpp, process_windows.cpp, process_none.cpp where there are
// none).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::system::process {

typedef int64_t ProcessId;

// What a process and the children it waited for used.
struct Usage {
    double cpuSeconds = 0;    // user and system time
    long peakMemoryKb = 0;    // the largest resident set
};

struct Options {
    const char* path = nullptr;  // the program to run; null: args[0], looked up on the PATH
    int* input = nullptr;        // when given: a pipe to its stdin, whose writing end is returned here
    int* output = nullptr;       // when given: a pipe from its stdout, whose reading end is returned here
    int* input3 = nullptr;       // when given: a pipe to its descriptor 3, whose writing end is returned here
    int inputPipeBytes = 0;      // room to ask for in the input pipe (0: the system's default)
    bool silenceErrors = false;  // its stderr to /dev/null
    bool ownProcessGroup = false;  // so that Ctrl+C on the terminal reaches only this program
    int nice = 0;
};

// This program's own file, to run it again; empty where the system does not
// name it.
std::string OwnProgram();
// The program Start runs for `name` when no path is given; empty when there
// is none, with `whyNot` (when given) saying where it was looked for.
std::string FindProgram(const std::string& name, std::string* whyNot);
// -1 when the process cannot be started (no pipe or no fork); a program that
// cannot be run exits with status 127.
ProcessId Start(const std::vector<std::string>& args, const Options& options);
// Its exit status, or -1 when a signal ended it; `usage`, when given, gets
// the resources it and its waited-for children used.
int Wait(ProcessId pid, Usage* usage = nullptr);
// Writes all of `bytes`, across short writes and interruptions; false when
// the reader has gone or the write fails.
bool WriteAll(int fd, const void* data, size_t bytes);
// Closes the parent's end of a pipe, so the child reads to its end.
void CloseInput(int fd);
// Puts the calling thread at the priority a child of `nice` gets.
void LowerThisThreadsPriority(int nice);

}  // namespace platform::system::process
