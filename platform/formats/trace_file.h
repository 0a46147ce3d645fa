// Reading back what the program writes as JSON lines: the trace of a run
// (--trace) and the figures of --bench --json. One flat object a line, no
// spaces, as trace.cpp writes them.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct TraceEntry {
    std::string type;  // frame, text, sync, error, quit, latency...
    std::string text;  // text and error lines: as written, escapes kept
    int scene = -1, order = -1, row = -1, x = -1, ms = -1, code = -1;
    int flags = -1;    // frame lines: the sync flags raised, bit N for flag N
    double wall = 0;   // seconds on the wall clock; real-time sync lines only
};

// The lines of a trace file that have a type, in order; none when the file
// cannot be read.
std::vector<TraceEntry> ReadTraceFile(const std::string& path);
// The number after "key": in `json`, or `missing` when there is none.
double JsonNumberField(const std::string& json, const std::string& key, double missing);

}  // namespace platform
