// The last word of a crash on Windows: a line naming the exception, its
// address and the program's version, then the crashing thread's backtrace,
// one frame a line as "pqn.exe+0x1a2b3 Function+0x10 (file.cpp:42)" (the
// module and offset always, which addr2line resolves against the same
// build; the names where DbgHelp reads them), go to stderr; then the program
// ends with the exception's code, and no dialog waits for anyone. abort()
// (an uncaught C++ exception among others) is reported the same way and
// still ends the program with abort's status, 3.
#include "platform/crash_report.h"

#include <windows.h>
#include <dbghelp.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* g_version = "";
const int kAbortStatus = 3;  // what the C runtime's abort() ends a program with
const int kMostFrames = 64;

const char* ExceptionName(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION: return "EXCEPTION_ACCESS_VIOLATION (invalid memory access)";
        case EXCEPTION_STACK_OVERFLOW: return "EXCEPTION_STACK_OVERFLOW (stack overflow)";
        case EXCEPTION_INT_DIVIDE_BY_ZERO: return "EXCEPTION_INT_DIVIDE_BY_ZERO (integer division by zero)";
        case EXCEPTION_ILLEGAL_INSTRUCTION: return "EXCEPTION_ILLEGAL_INSTRUCTION (illegal instruction)";
        case EXCEPTION_IN_PAGE_ERROR: return "EXCEPTION_IN_PAGE_ERROR (a page could not be read)";
        case EXCEPTION_DATATYPE_MISALIGNMENT: return "EXCEPTION_DATATYPE_MISALIGNMENT (misaligned access)";
        case EXCEPTION_PRIV_INSTRUCTION: return "EXCEPTION_PRIV_INSTRUCTION (privileged instruction)";
        default: return "an exception";
    }
}

// One frame: the module's file name and the offset into it, then the
// function and the source line where the symbols tell them.
void PrintFrame(int index, DWORD64 address) {
    HANDLE process = GetCurrentProcess();
    std::fprintf(stderr, "  #%d ", index);
    HMODULE module = nullptr;
    char modulePath[MAX_PATH] = "";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(address), &module) &&
        GetModuleFileNameA(module, modulePath, sizeof modulePath)) {
        const char* name = std::strrchr(modulePath, '\\');
        std::fprintf(stderr, "%s+0x%llx", name ? name + 1 : modulePath,
                     static_cast<unsigned long long>(address - reinterpret_cast<DWORD64>(module)));
    } else {
        std::fprintf(stderr, "0x%llx", static_cast<unsigned long long>(address));
    }
    alignas(SYMBOL_INFO) char symbolBytes[sizeof(SYMBOL_INFO) + 256];
    SYMBOL_INFO* symbol = reinterpret_cast<SYMBOL_INFO*>(symbolBytes);
    std::memset(symbolBytes, 0, sizeof symbolBytes);
    symbol->SizeOfStruct = sizeof(SYMBOL_INFO);
    symbol->MaxNameLen = 255;
    DWORD64 symbolOffset = 0;
    if (SymFromAddr(process, address, &symbolOffset, symbol))
        std::fprintf(stderr, " %s+0x%llx", symbol->Name, static_cast<unsigned long long>(symbolOffset));
    IMAGEHLP_LINE64 line{};
    line.SizeOfStruct = sizeof line;
    DWORD lineOffset = 0;
    if (SymGetLineFromAddr64(process, address, &lineOffset, &line) && line.FileName) {
        const char* file = std::strrchr(line.FileName, '/');
        if (!file) file = std::strrchr(line.FileName, '\\');
        std::fprintf(stderr, " (%s:%lu)", file ? file + 1 : line.FileName, static_cast<unsigned long>(line.LineNumber));
    }
    std::fprintf(stderr, "\n");
}

// Walks the stack from a thread's context (changed as it walks).
void PrintBacktrace(CONTEXT* context) {
    std::fprintf(stderr, "; backtrace of the crashing thread:\n");
    STACKFRAME64 frame{};
    frame.AddrPC.Offset = context->Rip;
    frame.AddrPC.Mode = AddrModeFlat;
    frame.AddrFrame.Offset = context->Rbp;
    frame.AddrFrame.Mode = AddrModeFlat;
    frame.AddrStack.Offset = context->Rsp;
    frame.AddrStack.Mode = AddrModeFlat;
    HANDLE process = GetCurrentProcess(), thread = GetCurrentThread();
    for (int index = 0; index < kMostFrames; ++index) {
        if (!StackWalk64(IMAGE_FILE_MACHINE_AMD64, process, thread, &frame, context, nullptr, SymFunctionTableAccess64,
                         SymGetModuleBase64, nullptr) ||
            frame.AddrPC.Offset == 0)
            break;
        PrintFrame(index, frame.AddrPC.Offset);
    }
    std::fflush(stderr);
}

DWORD WINAPI ReportException(void* pointers) {
    const EXCEPTION_POINTERS* info = static_cast<const EXCEPTION_POINTERS*>(pointers);
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    std::fprintf(stderr, "pqn %s: crashed with %s, code 0x%08lX, at %p", g_version, ExceptionName(record->ExceptionCode),
                 static_cast<unsigned long>(record->ExceptionCode), record->ExceptionAddress);
    CONTEXT context = *info->ContextRecord;
    PrintBacktrace(&context);
    return 0;
}

// The report is written on a thread of its own, whose stack is whole even
// when the crash is a stack overflow.
LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    HANDLE reporter = CreateThread(nullptr, 256 * 1024, ReportException, info, 0, nullptr);
    if (reporter) WaitForSingleObject(reporter, INFINITE);
    ExitProcess(info->ExceptionRecord->ExceptionCode);
}

void OnAbort(int) {
    std::fprintf(stderr, "pqn %s: crashed with abort()", g_version);
    CONTEXT context;
    RtlCaptureContext(&context);
    PrintBacktrace(&context);
    _exit(kAbortStatus);
}

}  // namespace

namespace platform {

void InstallCrashReport(const char* version) {
    g_version = version;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    // The symbols are read now, not inside a crashed program.
    SymSetOptions(SYMOPT_UNDNAME | SYMOPT_LOAD_LINES | SYMOPT_DEFERRED_LOADS);
    SymInitialize(GetCurrentProcess(), nullptr, TRUE);
    SetUnhandledExceptionFilter(OnCrash);
    std::signal(SIGABRT, OnAbort);
}

}  // namespace platform
