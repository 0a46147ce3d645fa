// The crash report of crash_report.h, written with async-signal-safe calls
// only: write(2) and glibc's backtrace_symbols_fd, on a stack of its own so
// that a stack overflow can still be reported.
#include "platform/crash_report.h"

#include <execinfo.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <initializer_list>

namespace platform {

namespace {

const char* g_version = "";
char g_alternateStack[64 * 1024];

void WriteText(const char* text) {
    ssize_t ignored = write(STDERR_FILENO, text, strlen(text));
    (void)ignored;
}

const char* SignalName(int signal) {
    switch (signal) {
        case SIGSEGV: return "SIGSEGV (invalid memory access)";
        case SIGBUS: return "SIGBUS (bus error)";
        case SIGFPE: return "SIGFPE (arithmetic error)";
        case SIGILL: return "SIGILL (illegal instruction)";
        case SIGABRT: return "SIGABRT (aborted)";
        default: return "a fatal signal";
    }
}

void OnCrash(int signal) {
    WriteText("pqn ");
    WriteText(g_version);
    WriteText(": crashed with ");
    WriteText(SignalName(signal));
    WriteText("; backtrace of the crashing thread:\n");
    void* frames[64];
    int count = backtrace(frames, 64);
    backtrace_symbols_fd(frames, count, STDERR_FILENO);
    raise(signal);  // the handler was reset on entry: this ends the program as the signal would have
}

}  // namespace

void InstallCrashReport(const char* version) {
    g_version = version;
    void* warmUp[1];
    backtrace(warmUp, 1);  // loads what backtrace needs now, not inside the handler
    stack_t stack{};
    stack.ss_sp = g_alternateStack;
    stack.ss_size = sizeof g_alternateStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = OnCrash;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) sigaction(signal, &action, nullptr);
}

}  // namespace platform
