// The data set's files watched (see DataWatch.h).
#include "DataWatch.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "../main/asset_list.h"
#include "../main/demo.h"
#include "Checkpoints.h"
#include "platform/options.h"
#include "platform/paths.h"
#include "platform/trace.h"

namespace {

namespace fs = std::filesystem;

enum class Kind { kPicture, kGlyph, kMeshes, kModule };

struct WatchedFile {
    Kind kind;
    size_t index;
    const char* file;
    fs::file_time_type written;
    uintmax_t bytes;
};

// When and how large a file was written last (none: never, and 0 bytes).
void Stamp(const char* file, fs::file_time_type* written, uintmax_t* bytes) {
    std::error_code error;
    fs::path path = fs::u8path(platform::ResolveDataPath(file));
    *written = fs::last_write_time(path, error);
    if (error) *written = fs::file_time_type::min();
    *bytes = fs::file_size(path, error);
    if (error) *bytes = 0;
}

std::vector<WatchedFile> DataFiles() {
    std::vector<WatchedFile> files;
    auto add = [&files](Kind kind, size_t index, const char* file) {
        WatchedFile watched{kind, index, file, {}, 0};
        Stamp(file, &watched.written, &watched.bytes);
        files.push_back(watched);
    };
    for (size_t i = 0; i < kPictureAssetCount; ++i) add(Kind::kPicture, i, kPictureAssets[i].file);
    for (size_t i = 0; i < kGlyphAssetCount; ++i) add(Kind::kGlyph, i, kGlyphAssets[i].file);
    add(Kind::kMeshes, 0, kMeshFile);
    add(Kind::kMeshes, 0, kMeshListFile);
    add(Kind::kModule, 0, kModuleFile);
    return files;
}

// A file name as a JSON string's text (the data set's names have backslashes).
std::string JsonText(const char* name) {
    std::string text;
    for (const char* c = name; *c; ++c) text += *c == '\\' || *c == '"' ? std::string("\\") + *c : std::string(1, *c);
    return text;
}

bool Reload(const WatchedFile& watched) {
    switch (watched.kind) {
        case Kind::kPicture: return ReloadPicture(watched.index);
        case Kind::kGlyph: return ReloadGlyph(watched.index);
        case Kind::kMeshes: return ReloadMeshes();
        case Kind::kModule: return ReloadModule();
    }
    return false;
}

}  // namespace

bool DataSetChanged() {
    if (!platform::Options().watch) return false;
    static std::vector<WatchedFile> files = DataFiles();
    static auto lastLook = std::chrono::steady_clock::now();
    auto now = std::chrono::steady_clock::now();
    if (now - lastLook < std::chrono::milliseconds(500)) return false;
    lastLook = now;
    bool changed = false, fromStart = false;
    for (WatchedFile& watched : files) {
        fs::file_time_type written;
        uintmax_t bytes = 0;
        Stamp(watched.file, &written, &bytes);
        if (written == watched.written && bytes == watched.bytes) continue;
        watched.written = written;
        watched.bytes = bytes;
        if (!Reload(watched)) continue;
        platform::TraceLine(std::string("{\"type\":\"reloaded\",\"file\":\"") + JsonText(watched.file) + "\"}");
        changed = true;
        fromStart = fromStart || watched.kind == Kind::kGlyph || watched.kind == Kind::kModule;
    }
    if (fromStart) DropCheckpointsAfterStart();
    return changed;
}
