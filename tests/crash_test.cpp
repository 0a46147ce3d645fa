// The crash report: a child process that installs it and then crashes prints
// one line naming the signal and the version, and a backtrace, and still dies
// of the signal it got (so the exit status and any core dump are unchanged).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "platform/crash_report.h"

namespace {

struct Crash {
    std::string report;
    int status = 0;
};

Crash CrashAChild(void (*crash)()) {
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDERR_FILENO);
        close(out[0]);
        signal(SIGABRT, SIG_DFL);
        platform::InstallCrashReport("9.8.7-test");
        crash();
        _exit(0);
    }
    close(out[1]);
    Crash result;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) result.report.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    waitpid(pid, &result.status, 0);
    return result;
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// A write to an address no program owns; the sanitizers are told to let the
// hardware catch it, as it would in the program.
__attribute__((no_sanitize("address", "undefined"))) void WriteToNowhere() {
    volatile int* nowhere = reinterpret_cast<volatile int*>(16);
    *nowhere = 1;
}

TEST(CrashReportTest, ASegmentationFaultIsNamedWithAVersionAndABacktrace) {
    Crash crash = CrashAChild([] { raise(SIGSEGV); });
    EXPECT_NE(crash.report.find("pqn 9.8.7-test: crashed with SIGSEGV"), std::string::npos) << crash.report;
    EXPECT_GE(Lines(crash.report), 4) << crash.report;
    ASSERT_TRUE(WIFSIGNALED(crash.status));
    EXPECT_EQ(WTERMSIG(crash.status), SIGSEGV);
}

TEST(CrashReportTest, AnAbortIsReportedAndStillAnAbort) {
    Crash crash = CrashAChild([] { abort(); });
    EXPECT_NE(crash.report.find("crashed with SIGABRT"), std::string::npos) << crash.report;
    EXPECT_NE(crash.report.find("abort"), std::string::npos) << "the backtrace names abort: " << crash.report;
    ASSERT_TRUE(WIFSIGNALED(crash.status));
    EXPECT_EQ(WTERMSIG(crash.status), SIGABRT);
}

TEST(CrashReportTest, ARealInvalidWriteIsReported) {
    Crash crash = CrashAChild(WriteToNowhere);
    EXPECT_NE(crash.report.find("crashed with SIGSEGV"), std::string::npos) << crash.report;
    ASSERT_TRUE(WIFSIGNALED(crash.status));
    EXPECT_EQ(WTERMSIG(crash.status), SIGSEGV);
}

}  // namespace
