// Resolution of Windows-style relative data paths on a case-sensitive file system.
#include "platform/paths.h"

#include <strings.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {

static std::string MatchIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string candidate = it->path().filename().string();
        if (strcasecmp(candidate.c_str(), name.c_str()) == 0) return candidate;
    }
    return name;
}

static std::string FileOnly(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error) ? std::string() : path.string();
}

std::string ResolveDataPath(const char* path) {
    std::string converted = path ? path : "";
    for (char& c : converted)
        if (c == '\\') c = '/';
    std::error_code error;
    if (converted.empty() || fs::exists(converted, error)) return FileOnly(converted);

    fs::path resolved;
    for (const fs::path& part : fs::path(converted)) {
        std::string name = part.string();
        if (name.empty() || name == "." || name == ".." || part.is_absolute() || name == "/") {
            resolved /= part;
            continue;
        }
        fs::path exact = resolved / part;
        resolved = fs::exists(exact, error) ? exact : resolved / MatchIgnoringCase(resolved, name);
    }
    return FileOnly(resolved);
}

}  // namespace platform
