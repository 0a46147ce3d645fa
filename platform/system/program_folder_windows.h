// The folder pqn.exe is in, from the module's own file name: where a release
// keeps its data set and where ffmpeg.exe is looked for first.
#pragma once

#include <filesystem>

namespace platform::system::windows {

// pqn.exe itself, and its folder; empty when Windows cannot name them.
std::filesystem::path ProgramFile();
std::filesystem::path ProgramFolder();

}  // namespace platform::system::windows
