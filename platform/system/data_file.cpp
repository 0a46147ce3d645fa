// Regular files only, opened without blocking (see data_file.h).
#include "platform/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FILE* OpenRegularFile(const std::string& path) {
    // O_NONBLOCK: opening a named pipe with no writer would otherwise wait for one.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

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
