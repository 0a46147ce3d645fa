// Run-time services of runtime.h: the options of the run, the frame and sync
// trace, the record of message boxes, Ctrl+C, and the orderly end.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/bass.h"
#include "platform/bench.h"
#include "platform/capture.h"
#include "run/internal.h"
#include "win32/win32_internal.h"

namespace {

struct RunState {
    platform::RunOptions options;
    FILE* trace = nullptr;
    std::mutex traceLock;  // the sync thread writes to the trace too
    uint64_t tracedFrames = 0;
    std::vector<std::string> boxes;
};

RunState& State() {
    static RunState state;
    return state;
}

std::atomic<bool> g_interrupted{false};

std::atomic<int> g_stopSignal{0};

// The first SIGINT or SIGTERM asks for an orderly end (the window closes as
// Escape closes it) and gives the program a second to reach its end of run;
// a program blocked somewhere does not, and the alarm then ends it as the
// signal would have. A second signal ends it at once. Installed without
// SA_RESTART, so a system call the signal interrupts returns.
void OnStopSignal(int signal) {
    if (!g_interrupted.exchange(true)) {
        g_stopSignal = signal;
        alarm(1);
        return;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void OnStopTimeout(int) {
    const char message[] = "pqn: still running a second after the signal; stopping now\n";
    ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    int signal = g_stopSignal;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void InstallStopSignals() {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnStopSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = OnStopTimeout;
    sigaction(SIGALRM, &action, nullptr);
}

}  // namespace

namespace platform {

namespace sdl {

bool Interrupted() { return g_interrupted; }

void RecordMessageBox(const std::string& text) {
    State().boxes.push_back(text);
    TraceLine("{\"type\":\"error\",\"text\":\"" + JsonEscape(text) + "\"}");
}

}  // namespace sdl

void Configure(const RunOptions& options) {
    RunState& s = State();
    s.options = options;
    if (s.options.framesPerSecond <= 0) s.options.framesPerSecond = 60;
    if (!options.traceFile.empty()) {
        s.trace = std::fopen(options.traceFile.c_str(), "w");
        if (!s.trace) std::fprintf(stderr, "pqn: cannot write the trace %s\n", options.traceFile.c_str());
    }
    if (s.options.bench) bench::Start();
    InstallStopSignals();
    sdl::EnsureSdl();
}

const RunOptions& Options() { return State().options; }

bool VideoReady() { return sdl::SdlReady(); }

void NoteFrame(int scene, uint32_t order, uint32_t row) {
    RunState& s = State();
    sdl::NoteFramePosition(scene, {order, row});
    if (!s.trace || internal::Warping()) return;
    char line[160];
    std::snprintf(line, sizeof line, "{\"type\":\"frame\",\"frame\":%llu,\"ms\":%u,\"scene\":%d,\"order\":%u,\"row\":%u}",
                  static_cast<unsigned long long>(s.tracedFrames++), ShowTimeMs(), scene, order, row);
    TraceLine(line);
}

void NoteText(const std::string& text) {
    if (!State().trace || internal::Warping()) return;
    TraceLine("{\"type\":\"text\",\"text\":\"" + JsonEscape(text) + "\"}");
}

const std::vector<std::string>& MessageBoxTexts() { return State().boxes; }

void TraceLine(const std::string& json) {
    RunState& s = State();
    std::lock_guard<std::mutex> guard(s.traceLock);
    if (!s.trace) return;
    std::fputs(json.c_str(), s.trace);
    std::fputc('\n', s.trace);
    std::fflush(s.trace);  // a trace is read while the program runs, and after a crash
}

std::string JsonEscape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// In order: the sound (so no sync comes in later), the capture, the figures,
// the trace, and last SDL with the GL driver, before any static destructor
// runs while the driver's threads are still alive.
void Shutdown() {
    RunState& s = State();
    alarm(0);  // the end of the run is reached: finishing a capture may take longer than the second a signal gives
    StopAudio();
    capture::Finish(g_interrupted);
    if (s.options.bench) bench::Report(s.options.benchJson);
    {
        std::lock_guard<std::mutex> guard(s.traceLock);
        if (s.trace) std::fclose(s.trace);
        s.trace = nullptr;
    }
    sdl::ReleaseFont();
    sdl::QuitSdl();
}

namespace internal {

bool Headless() { return State().options.headless; }

}  // namespace internal
}  // namespace platform
