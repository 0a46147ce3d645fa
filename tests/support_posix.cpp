// Test support on POSIX systems: the temporary folder and running pqn.
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support.h"

namespace test {

std::string TempDir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/pqn-test-XXXXXX";
        return std::string(mkdtemp(pattern));
    }();
    return dir;
}

int RunPqn(const std::string& arguments, std::string* output) {
    // PQN_TEST_PROGRAM puts another build of the program under the same
    // tests, such as "wine pqn.exe" for the Windows one.
    const char* program = std::getenv("PQN_TEST_PROGRAM");
    // The output goes to a file, read once the program has ended: a pipe
    // would wait for every process that inherited it (wine's services do).
    // A run that hangs is ended after five minutes and fails its test,
    // rather than stalling the suite.
    static std::atomic<int> runs{0};  // tests run the program from several threads
    std::string outputPath = TempDir() + "/run-" + std::to_string(++runs) + ".txt";
    std::string command = "timeout -k 10 300 " + std::string(program ? program : PQN_BINARY) + " " + arguments + " > " +
                          outputPath + " 2>&1";
    int status = std::system(command.c_str());
    *output = FileText(outputPath);
    std::remove(outputPath.c_str());
    // A Windows build ends its lines with CR LF.
    std::string lines;
    for (size_t i = 0; i < output->size(); ++i)
        if (!((*output)[i] == '\r' && i + 1 < output->size() && (*output)[i + 1] == '\n')) lines += (*output)[i];
    output->swap(lines);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace test
