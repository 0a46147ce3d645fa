// Test support on Windows: the temporary folder, one per test process. The
// tests that run pqn itself run on the desktop, and against pqn.exe through
// PQN_TEST_PROGRAM there.
#include <process.h>

#include <filesystem>
#include <string>

#include "support.h"

namespace test {

std::string TempDir() {
    static const std::string dir = [] {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("pqn-test-" + std::to_string(_getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return dir;
}

}  // namespace test
