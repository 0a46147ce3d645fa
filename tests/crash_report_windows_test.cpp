// The crash report on Windows: this test program runs itself as a child
// that installs the report and then crashes on purpose; the child prints a
// line naming the exception and the version and a backtrace that names the
// crashing function, and ends with the exception's code (abort's 3 for an
// abort), with no dialog.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/crash_report.h"

namespace {

__attribute__((noinline)) void WriteToNowhere() {
    volatile uintptr_t nowhere = 16;  // an address no program owns
    *reinterpret_cast<volatile int*>(nowhere) = 1;
}

// Frames of a page or more are probed as they are made (___chkstk_ms), where
// the overflow is met.
volatile bool g_recursing = true;  // always true; the compiler cannot know it

__attribute__((noinline)) int RecurseForEver(int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    return g_recursing ? RecurseForEver(depth + 1) + frame[0] : 0;
}

__attribute__((noinline)) void AbortOnPurpose() { std::abort(); }

__attribute__((noinline)) void ThrowToNobody() { throw std::runtime_error("nobody catches this"); }

int CrashAs(const char* kind) {
    platform::InstallCrashReport("9.8.7-test");
    if (!std::strcmp(kind, "write")) WriteToNowhere();
    if (!std::strcmp(kind, "overflow")) return RecurseForEver(0);
    if (!std::strcmp(kind, "abort")) AbortOnPurpose();
    if (!std::strcmp(kind, "throw")) ThrowToNobody();
    return 0;
}

struct Crash {
    std::string report;
    DWORD code = 0;
};

// Runs this program again as "--crash=KIND", its stderr read through a pipe.
Crash CrashAChild(const std::string& kind) {
    Crash crash;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return crash;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::string command = "\"" + std::string(self) + "\" --crash=" + kind;
    PROCESS_INFORMATION child{};
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    CloseHandle(writeEnd);
    if (started) {
        char buffer[4096];
        DWORD got;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) crash.report.append(buffer, got);
        WaitForSingleObject(child.hProcess, INFINITE);
        GetExitCodeProcess(child.hProcess, &crash.code);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
    }
    CloseHandle(readEnd);
    return crash;
}

bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

TEST(CrashReportTest, AnInvalidWriteIsNamedWithAVersionAndABacktraceThatNamesTheFunction) {
    Crash crash = CrashAChild("write");
    EXPECT_TRUE(Has(crash.report, "pqn 9.8.7-test: crashed with EXCEPTION_ACCESS_VIOLATION")) << crash.report;
    EXPECT_TRUE(Has(crash.report, "crash_report_windows_test.exe+0x")) << crash.report;
    EXPECT_TRUE(Has(crash.report, "WriteToNowhere")) << crash.report;
    EXPECT_TRUE(Has(crash.report, "crash_report_windows_test.cpp:")) << crash.report;
    EXPECT_EQ(crash.code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION)) << crash.report;
}

TEST(CrashReportTest, AStackOverflowIsStillReported) {
    Crash crash = CrashAChild("overflow");
    EXPECT_TRUE(Has(crash.report, "crashed with EXCEPTION_STACK_OVERFLOW")) << crash.report;
    EXPECT_TRUE(Has(crash.report, "#0 crash_report_windows_test.exe+0x")) << crash.report;
    EXPECT_EQ(crash.code, static_cast<DWORD>(EXCEPTION_STACK_OVERFLOW)) << crash.report;
}

TEST(CrashReportTest, AnAbortAndAnUncaughtExceptionAreReportedAndStillEndAsAbortDoes) {
    for (const char* kind : {"abort", "throw"}) {
        Crash crash = CrashAChild(kind);
        EXPECT_TRUE(Has(crash.report, "pqn 9.8.7-test: crashed with abort()")) << kind << ": " << crash.report;
        EXPECT_TRUE(Has(crash.report, std::strcmp(kind, "abort") ? "ThrowToNobody" : "AbortOnPurpose"))
            << kind << ": " << crash.report;
        EXPECT_EQ(crash.code, 3u) << kind << ": " << crash.report;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && !std::strncmp(argv[1], "--crash=", 8)) return CrashAs(argv[1] + 8);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
