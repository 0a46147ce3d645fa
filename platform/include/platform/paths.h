// Data paths as the show writes them ("images\tausta1.raw"), opened on Linux.
#pragma once

#include <string>

namespace platform {

// Backslashes become slashes; where a name in the path does not exist exactly,
// a case-insensitive match in the same folder is used (data sets copied from
// Windows often differ in case). Missing paths come back converted but unmatched;
// a folder is not a data file, and comes back empty, so opening it fails.
std::string ResolveDataPath(const char* path);

}  // namespace platform
