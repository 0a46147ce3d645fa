// Opening a regular file without blocking, on POSIX (see data_file.h): a
// named pipe is refused at once.
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

}  // namespace platform
