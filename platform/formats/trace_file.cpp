// Reading JSON lines back (see trace_file.h).
#include "formats/trace_file.h"

#include <cstdlib>
#include <fstream>

namespace platform {

namespace {

int IntField(const std::string& line, const std::string& key) {
    return static_cast<int>(JsonNumberField(line, key, -1));
}

}  // namespace

double JsonNumberField(const std::string& json, const std::string& key, double missing) {
    size_t at = json.find("\"" + key + "\":");
    return at == std::string::npos ? missing : std::atof(json.c_str() + at + key.size() + 3);
}

std::vector<TraceEntry> ReadTraceFile(const std::string& path) {
    std::vector<TraceEntry> entries;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        size_t type = line.find("\"type\":\"");
        if (type == std::string::npos) continue;
        TraceEntry e;
        e.type = line.substr(type + 8, line.find('"', type + 8) - type - 8);
        e.scene = IntField(line, "scene");
        e.order = IntField(line, "order");
        e.row = IntField(line, "row");
        e.x = IntField(line, "x");
        e.ms = IntField(line, "ms");
        e.code = IntField(line, "code");
        e.flags = IntField(line, "flags");
        e.wall = JsonNumberField(line, "wall", 0);
        size_t text = line.find("\"text\":\"");
        if (text != std::string::npos) e.text = line.substr(text + 8, line.rfind('"') - text - 8);
        entries.push_back(e);
    }
    return entries;
}

}  // namespace platform
