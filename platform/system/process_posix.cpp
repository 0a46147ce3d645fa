// Child processes on fork and exec (see process.h).
#include "system/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace platform::system::process {

namespace {

void ClosePipe(int fds[2]) {
    if (fds[0] >= 0) close(fds[0]);
    if (fds[1] >= 0) close(fds[1]);
}

// In the child, before exec.
void SetUpChild(const Options& options, int in[2], int out[2], int in3[2]) {
    if (options.ownProcessGroup) setpgid(0, 0);
    if (options.nice) setpriority(PRIO_PROCESS, 0, options.nice);
    // Out of the way of descriptors 0 to 3 until the others are in place.
    int third = options.input3 ? fcntl(in3[0], F_DUPFD, 10) : -1;
    if (options.input) dup2(in[0], 0);
    if (options.output) dup2(out[1], 1);
    if (options.silenceErrors) {
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 2);
    }
    ClosePipe(in);
    ClosePipe(out);
    ClosePipe(in3);
    if (third >= 0) {
        dup2(third, 3);
        close(third);
    }
}

// The parent keeps the writing end of an input pipe.
void KeepWritingEnd(int fds[2], pid_t pid, int pipeBytes, int* end) {
    close(fds[0]);
    if (pid > 0 && pipeBytes > 0) fcntl(fds[1], F_SETPIPE_SZ, pipeBytes);
    *end = pid > 0 ? fds[1] : -1;
    if (pid < 0) close(fds[1]);
}

}  // namespace

// Linux names the running program's file in /proc.
std::string OwnProgram() { return "/proc/self/exe"; }

std::string FindProgram(const std::string& name, std::string* whyNot) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    if (whyNot) *whyNot = "not installed (on Debian: sudo apt-get install " + name + ")";
    return std::string();
}

ProcessId Start(const std::vector<std::string>& args, const Options& options) {
    int in[2] = {-1, -1}, out[2] = {-1, -1}, in3[2] = {-1, -1};
    if ((options.input && pipe(in) != 0) || (options.output && pipe(out) != 0) ||
        (options.input3 && pipe(in3) != 0)) {
        ClosePipe(in);
        ClosePipe(out);
        ClosePipe(in3);
        return -1;
    }
    // A reader that has gone ends the writes with an error, not the program.
    if (options.input || options.input3) signal(SIGPIPE, SIG_IGN);
    pid_t pid = fork();
    if (pid == 0) {
        SetUpChild(options, in, out, in3);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (options.path) execv(options.path, argv.data());
        else execvp(argv[0], argv.data());
        _exit(127);
    }
    if (options.input) KeepWritingEnd(in, pid, options.inputPipeBytes, options.input);
    if (options.input3) KeepWritingEnd(in3, pid, options.inputPipeBytes, options.input3);
    if (options.output) {
        close(out[1]);
        *options.output = pid > 0 ? out[0] : -1;
        if (pid < 0) close(out[0]);
    }
    return pid;
}

int Wait(ProcessId pid, Usage* usage) {
    if (pid <= 0) return -1;  // never one of "any child"
    int status = 0;
    struct rusage used {};
    while (wait4(static_cast<pid_t>(pid), &status, 0, &used) < 0) {
        if (errno != EINTR) return -1;
    }
    if (usage) {
        usage->cpuSeconds = static_cast<double>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
                            static_cast<double>(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
        usage->peakMemoryKb = used.ru_maxrss;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool WriteAll(int fd, const void* data, size_t bytes) {
    const uint8_t* from = static_cast<const uint8_t*>(data);
    size_t written = 0;
    while (written < bytes) {
        ssize_t n = write(fd, from + written, bytes - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

void CloseInput(int fd) { close(fd); }

void LowerThisThreadsPriority(int nice) { setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice); }

}  // namespace platform::system::process
