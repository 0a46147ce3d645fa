// The last word of a crash on Windows: one line naming the exception, its
// address and the program's version goes to stderr, then the program ends
// with the exception's code, and no dialog waits for anyone.
#include "platform/crash_report.h"

#include <windows.h>

#include <cstdio>

namespace {

const char* g_version = "";

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    std::fprintf(stderr, "pqn %s: crashed with exception 0x%08lX at %p\n", g_version,
                 static_cast<unsigned long>(record->ExceptionCode), record->ExceptionAddress);
    std::fflush(stderr);
    ExitProcess(record->ExceptionCode);
}

}  // namespace

namespace platform {

void InstallCrashReport(const char* version) {
    g_version = version;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(OnCrash);
}

}  // namespace platform
