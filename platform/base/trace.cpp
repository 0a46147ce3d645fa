// The trace of the run (one JSON object a line, flushed as written, as it is
// read while the program runs and after a crash) and the record of message
// boxes. The sync thread writes to the trace too, hence the lock.
#include "platform/trace.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/outputs.h"

namespace platform {

namespace {

struct TraceState {
    FILE* file = nullptr;  // under the lock
    std::atomic<bool> writing{false};
    std::string path;
    std::mutex lock;
    uint64_t tracedFrames = 0;
    std::atomic<bool> showTraceMuted{false};
    std::vector<std::string> boxes;
};

TraceState& State() {
    static TraceState state;
    return state;
}

}  // namespace

bool OpenTrace(const std::string& path) {
    TraceState& s = State();
    s.path = path;
    s.file = std::fopen(path.c_str(), "w");
    if (!s.file) ReportOutputFailure(path, SystemReason());
    s.writing = s.file != nullptr;
    return s.writing;
}

void CloseTrace() {
    TraceState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.file && std::fclose(s.file) != 0) ReportOutputFailure(s.path, SystemReason());
    s.file = nullptr;
    s.writing = false;
}

// Each line is flushed as it is written: a trace is read while the program
// runs, and after a crash. The first line that cannot be written is said and
// ends the trace; the run goes on.
void TraceLine(const std::string& json) {
    TraceState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.file) return;
    if (std::fputs(json.c_str(), s.file) >= 0 && std::fputc('\n', s.file) != EOF && std::fflush(s.file) == 0) return;
    ReportOutputFailure(s.path, SystemReason());
    std::fclose(s.file);
    s.file = nullptr;
    s.writing = false;
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

void TraceShowLine(const std::string& json) {
    if (!State().showTraceMuted) TraceLine(json);
}

void MuteShowTrace(bool muted) { State().showTraceMuted = muted; }

void TraceFrame(int scene, uint32_t showMs, uint32_t order, uint32_t row, uint32_t raisedFlags) {
    TraceState& s = State();
    if (!s.writing || s.showTraceMuted) return;
    char line[180];
    std::snprintf(line, sizeof line,
                  "{\"type\":\"frame\",\"frame\":%llu,\"ms\":%u,\"scene\":%d,\"order\":%u,\"row\":%u,\"flags\":%u}",
                  static_cast<unsigned long long>(s.tracedFrames++), showMs, scene, order, row, raisedFlags);
    TraceLine(line);
}

void NoteText(const std::string& text) {
    if (!State().writing || State().showTraceMuted) return;
    TraceLine("{\"type\":\"text\",\"text\":\"" + JsonEscape(text) + "\"}");
}

void RecordMessageBox(const std::string& text) {
    State().boxes.push_back(text);
    TraceLine("{\"type\":\"error\",\"text\":\"" + JsonEscape(text) + "\"}");
}

const std::vector<std::string>& MessageBoxTexts() { return State().boxes; }

}  // namespace platform
