// pqn.exe's own file and folder (see program_folder_windows.h).
#include "system/program_folder_windows.h"

#include <windows.h>

#include <string>

namespace platform::system::windows {

std::filesystem::path ProgramFile() {
    std::wstring path(32768, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return std::filesystem::path();
    path.resize(length);
    return std::filesystem::path(path);
}

std::filesystem::path ProgramFolder() { return ProgramFile().parent_path(); }

}  // namespace platform::system::windows
