// The trace of the run (one JSON object a line, flushed as written, as it is
// read while the program runs and after a crash) and the record of message
// boxes. The sync thread writes to the trace too, hence the lock.
#include "platform/trace.h"

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

struct TraceState {
    FILE* file = nullptr;
    std::mutex lock;
    uint64_t tracedFrames = 0;
    bool frameTraceMuted = false;
    std::vector<std::string> boxes;
};

TraceState& State() {
    static TraceState state;
    return state;
}

}  // namespace

bool OpenTrace(const std::string& path) {
    TraceState& s = State();
    s.file = std::fopen(path.c_str(), "w");
    if (!s.file) std::fprintf(stderr, "pqn: cannot write the trace %s\n", path.c_str());
    return s.file != nullptr;
}

void CloseTrace() {
    TraceState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.file) std::fclose(s.file);
    s.file = nullptr;
}

void TraceLine(const std::string& json) {
    TraceState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.file) return;
    std::fputs(json.c_str(), s.file);
    std::fputc('\n', s.file);
    std::fflush(s.file);
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

void MuteFrameTrace(bool muted) { State().frameTraceMuted = muted; }

void TraceFrame(int scene, uint32_t showMs, uint32_t order, uint32_t row) {
    TraceState& s = State();
    if (!s.file || s.frameTraceMuted) return;
    char line[160];
    std::snprintf(line, sizeof line, "{\"type\":\"frame\",\"frame\":%llu,\"ms\":%u,\"scene\":%d,\"order\":%u,\"row\":%u}",
                  static_cast<unsigned long long>(s.tracedFrames++), showMs, scene, order, row);
    TraceLine(line);
}

void NoteText(const std::string& text) {
    if (!State().file || State().frameTraceMuted) return;
    TraceLine("{\"type\":\"text\",\"text\":\"" + JsonEscape(text) + "\"}");
}

void RecordMessageBox(const std::string& text) {
    State().boxes.push_back(text);
    TraceLine("{\"type\":\"error\",\"text\":\"" + JsonEscape(text) + "\"}");
}

const std::vector<std::string>& MessageBoxTexts() { return State().boxes; }

}  // namespace platform
