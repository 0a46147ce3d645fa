// Reading a regular file whole (see data_file.h); opening it is each
// system's own (data_file_posix.cpp, data_file_windows.cpp).
#include "platform/data_file.h"

namespace platform {

bool ReadRegularFile(const std::string& path, std::vector<uint8_t>* bytes) {
    FILE* file = OpenRegularFile(path);
    if (!file) return false;
    bytes->clear();
    uint8_t buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->insert(bytes->end(), buffer, buffer + got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

}  // namespace platform
