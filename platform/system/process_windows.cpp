// Child processes on Windows (see process.h), started with CreateProcessW.
// Descriptors are the C runtime's over pipe handles. A child's descriptor 3
// is handed over as the C runtime does for its own children (the handles and
// flags of descriptors 0 to 3 in STARTUPINFO's lpReserved2), so a program
// built on the C runtime, such as ffmpeg.exe, reads it as "pipe:3" as it
// would on POSIX.
#include "system/process.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "system/program_folder_windows.h"
#include "system/utf8_windows.h"

namespace platform::system::process {

namespace {

// The C runtime's flags of an inherited descriptor: open, and a pipe.
constexpr unsigned char kDescriptorOpen = 0x01;
constexpr unsigned char kDescriptorPipe = 0x08;

// An argument as CommandLineToArgvW (and the C runtime) split it again:
// quoted, backslashes doubled before a quote.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring CommandLine(const std::vector<std::string>& args) {
    std::wstring line;
    for (const std::string& argument : args) line += (line.empty() ? L"" : L" ") + Quoted(system::windows::Wide(argument));
    return line;
}

// A pipe whose one end the child inherits and whose other end is the
// parent's only, as a C runtime descriptor.
struct Pipe {
    HANDLE childEnd = nullptr;
    int parentEnd = -1;
};

bool MakePipe(bool childReads, int bytes, Pipe* pipe) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, static_cast<DWORD>(bytes))) return false;
    HANDLE parentEnd = childReads ? writeEnd : readEnd;
    pipe->childEnd = childReads ? readEnd : writeEnd;
    SetHandleInformation(parentEnd, HANDLE_FLAG_INHERIT, 0);
    pipe->parentEnd = _open_osfhandle(reinterpret_cast<intptr_t>(parentEnd), childReads ? _O_WRONLY : _O_RDONLY);
    return pipe->parentEnd >= 0;
}

// One of this process's standard handles as the child's, inheritable.
HANDLE InheritedCopy(DWORD which) {
    HANDLE own = GetStdHandle(which), copy = nullptr;
    if (!own || own == INVALID_HANDLE_VALUE) return nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

HANDLE NullDevice() {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    return CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0,
                       nullptr);
}

// The child's descriptors 0 to 3 as the C runtime reads them at its start.
std::vector<BYTE> InheritedDescriptors(HANDLE const (&handles)[4], const unsigned char (&flags)[4]) {
    std::vector<BYTE> block(sizeof(int) + 4 + 4 * sizeof(HANDLE));
    int count = 4;
    std::memcpy(block.data(), &count, sizeof count);
    std::memcpy(block.data() + sizeof count, flags, 4);
    std::memcpy(block.data() + sizeof count + 4, handles, 4 * sizeof(HANDLE));
    return block;
}

void CloseHandles(HANDLE (&handles)[4]) {
    for (HANDLE& handle : handles)
        if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

// The parent's end of a pipe once the child has started, or closed (and
// -1) when it has not.
int HandedOver(bool started, int parentEnd) {
    if (started) return parentEnd;
    if (parentEnd >= 0) _close(parentEnd);
    return -1;
}

}  // namespace

std::string OwnProgram() {
    std::filesystem::path file = system::windows::ProgramFile();
    return file.empty() ? std::string() : system::windows::Utf8(file.wstring());
}

std::string FindProgram(const std::string& name, std::string* whyNot) {
    std::wstring file = system::windows::Wide(name) + L".exe";
    std::filesystem::path folder = system::windows::ProgramFolder();
    std::error_code error;
    std::filesystem::path beside = folder / file;
    if (std::filesystem::is_regular_file(beside, error)) return system::windows::Utf8(beside.wstring());
    std::wstring found(32768, L'\0');
    const wchar_t* path = _wgetenv(L"PATH");
    DWORD length = path ? SearchPathW(path, file.c_str(), nullptr, static_cast<DWORD>(found.size()), found.data(), nullptr) : 0;
    if (length > 0 && length < found.size()) {
        found.resize(length);
        return system::windows::Utf8(found);
    }
    if (whyNot)
        *whyNot = "found neither beside pqn.exe (in " + system::windows::Utf8(folder.wstring()) + ") nor on the PATH; " + name +
                  ".exe comes from https://ffmpeg.org";
    return std::string();
}

ProcessId Start(const std::vector<std::string>& args, const Options& options) {
    std::string program = options.path ? options.path : FindProgram(args.empty() ? "" : args[0], nullptr);
    if (program.empty()) {
        errno = ENOENT;
        return -1;
    }
    Pipe in, out, in3;
    HANDLE handles[4] = {nullptr, nullptr, nullptr, nullptr};
    bool piped = (!options.input || MakePipe(true, options.inputPipeBytes, &in)) &&
                 (!options.output || MakePipe(false, 0, &out)) &&
                 (!options.input3 || MakePipe(true, options.inputPipeBytes, &in3));
    handles[0] = options.input ? in.childEnd : InheritedCopy(STD_INPUT_HANDLE);
    handles[1] = options.output ? out.childEnd : InheritedCopy(STD_OUTPUT_HANDLE);
    handles[2] = options.silenceErrors ? NullDevice() : InheritedCopy(STD_ERROR_HANDLE);
    handles[3] = options.input3 ? in3.childEnd : nullptr;
    const unsigned char flags[4] = {kDescriptorOpen | kDescriptorPipe, kDescriptorOpen | kDescriptorPipe, kDescriptorOpen,
                                    static_cast<unsigned char>(options.input3 ? kDescriptorOpen | kDescriptorPipe : 0)};
    std::vector<BYTE> descriptors = InheritedDescriptors(handles, flags);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = handles[0];
    startup.hStdOutput = handles[1];
    startup.hStdError = handles[2];
    startup.cbReserved2 = static_cast<WORD>(descriptors.size());
    startup.lpReserved2 = descriptors.data();
    DWORD creation = CREATE_UNICODE_ENVIRONMENT;
    // A group of its own does not get the console's Ctrl+C.
    if (options.ownProcessGroup) creation |= CREATE_NEW_PROCESS_GROUP;
    if (options.nice > 0) creation |= BELOW_NORMAL_PRIORITY_CLASS;
    std::wstring line = CommandLine(args);
    PROCESS_INFORMATION started{};
    bool ok = piped && CreateProcessW(system::windows::Wide(program).c_str(), line.data(), nullptr, nullptr, TRUE, creation,
                                      nullptr, nullptr, &startup, &started);
    CloseHandles(handles);
    if (options.input) *options.input = HandedOver(ok, in.parentEnd);
    if (options.output) *options.output = HandedOver(ok, out.parentEnd);
    if (options.input3) *options.input3 = HandedOver(ok, in3.parentEnd);
    if (!ok) return -1;
    CloseHandle(started.hThread);
    return static_cast<ProcessId>(reinterpret_cast<intptr_t>(started.hProcess));
}

int Wait(ProcessId pid, Usage* usage) {
    if (pid <= 0) return -1;
    HANDLE process = reinterpret_cast<HANDLE>(static_cast<intptr_t>(pid));
    DWORD code = 0;
    bool ended = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
    if (usage) {
        FILETIME created, exited, kernel, user;
        if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
            auto seconds = [](FILETIME t) {
                return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
            };
            usage->cpuSeconds = seconds(kernel) + seconds(user);
        }
        PROCESS_MEMORY_COUNTERS memory{};
        if (GetProcessMemoryInfo(process, &memory, sizeof memory)) usage->peakMemoryKb = static_cast<long>(memory.PeakWorkingSetSize / 1024);
    }
    CloseHandle(process);
    return ended ? static_cast<int>(code) : -1;
}

bool WriteAll(int fd, const void* data, size_t bytes) {
    const char* from = static_cast<const char*>(data);
    size_t written = 0;
    while (written < bytes) {
        int n = _write(fd, from + written, static_cast<unsigned>(std::min<size_t>(bytes - written, 1u << 30)));
        if (n <= 0) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

void CloseInput(int fd) { _close(fd); }

void LowerThisThreadsPriority(int) { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }

}  // namespace platform::system::process
