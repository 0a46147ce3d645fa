// Opening a regular file on Windows (see data_file.h): the path is UTF-8 and
// opened by its wide name; anything but a regular file (a folder, a device)
// is refused as a missing file is.
#include "platform/data_file.h"

#include <windows.h>

#include "system/utf8_windows.h"

namespace platform {

FILE* OpenRegularFile(const std::string& path) {
    std::wstring wide = system::windows::Wide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return nullptr;
    return _wfopen(wide.c_str(), L"rb");
}

}  // namespace platform
