// The record of outputs that could not be written (see outputs.h).
#include "platform/outputs.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>

namespace platform {

namespace {

std::atomic<bool> g_failed{false};

}  // namespace

void ReportOutputFailure(const std::string& path, const std::string& reason) {
    static std::mutex lock;  // the sync thread writes the trace too
    static std::set<std::string> reported;
    g_failed = true;
    std::lock_guard<std::mutex> guard(lock);
    if (!reported.insert(path).second) return;
    // On a terminal the capture's progress line may stand unfinished.
    std::fprintf(stderr, "%spqn: cannot write %s: %s\n", isatty(2) ? "\n" : "", path.c_str(), reason.c_str());
}

std::string SystemReason() { return std::strerror(errno); }

bool OutputsFailed() { return g_failed; }

bool CheckOutputFolder(const std::string& folder, bool create) {
    std::error_code error;
    if (create && !std::filesystem::exists(folder, error)) std::filesystem::create_directories(folder, error);
    if (error) {
        ReportOutputFailure(folder, error.message());
        return false;
    }
    if (!std::filesystem::is_directory(folder, error)) {
        ReportOutputFailure(folder, std::filesystem::exists(folder, error) ? "it is not a folder" : "no such folder");
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        ReportOutputFailure(folder, SystemReason());
        return false;
    }
    return true;
}

}  // namespace platform
