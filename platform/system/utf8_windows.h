// Windows' own strings (UTF-16) and the program's (UTF-8), converted both
// ways, so that a data set in a folder named with any letters is found.
#pragma once

#include <string>

namespace platform::system::windows {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

}  // namespace platform::system::windows
