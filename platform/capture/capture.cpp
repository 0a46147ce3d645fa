// Frame-exact capture of a headless run: every frame and the sound that the
// frames cover, handed to one sink (a video through ffmpeg, or PNG frames and
// a WAV file; see sink.h), with a progress line on a terminal.
// The sound is decoded a little ahead of the frames; samples are held back
// until a frame covers them, so the sound ends exactly with the last frame.
#include "platform/capture.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "capture/sink.h"
#include "platform/outputs.h"
#include "base/sample_rate.h"
#include "run/warp.h"
#include "system/process.h"

namespace platform::capture {

namespace {

using Clock = std::chrono::steady_clock;

struct State {
    std::unique_ptr<Sink> sink;  // from Start until Finish
    bool active = false;         // taking frames and sound
    bool failed = false;         // the sink could not write what it was given
    std::string out;
    int fps = 60;
    uint64_t frames = 0;
    uint64_t audioFrames = 0;           // sample frames written out
    std::vector<int16_t> heldAudio;     // decoded, not yet covered by a frame
    uint64_t expectedFrames = 0;
    Clock::time_point started;
    Clock::time_point lastProgress;
    bool progress = false;
};

State& S() {
    static State state;
    return state;
}

bool EndsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

// What the output's name asks for.
enum class Format { Frames, Mp4, Matroska };

Format FormatOf(const std::string& out) {
    return EndsWith(out, ".mkv") ? Format::Matroska : EndsWith(out, ".mp4") ? Format::Mp4 : Format::Frames;
}

// Where the output's files go: a video's folder, or the folder of PNG frames itself.
std::string FolderOf(const std::string& out) {
    if (FormatOf(out) == Format::Frames) return out;
    std::string folder = std::filesystem::path(out).parent_path().string();
    return folder.empty() ? "." : folder;
}

uint64_t SampleFramesFor(uint64_t videoFrames) {
    return videoFrames * kSampleRate / static_cast<uint64_t>(S().fps);
}

void WriteSamples(const int16_t* stereo, size_t frames) {
    State& s = S();
    s.sink->Sound(stereo, frames);
    s.audioFrames += frames;
}

// Writes the held samples that the first `videoFrames` frames cover.
void WriteCoveredAudio(uint64_t videoFrames) {
    State& s = S();
    uint64_t covered = SampleFramesFor(videoFrames);
    if (covered <= s.audioFrames) return;
    size_t n = static_cast<size_t>(std::min<uint64_t>(covered - s.audioFrames, s.heldAudio.size() / 2));
    WriteSamples(s.heldAudio.data(), n);
    s.heldAudio.erase(s.heldAudio.begin(), s.heldAudio.begin() + n * 2);
}

void ShowProgress(bool force) {
    State& s = S();
    if (!s.progress) return;
    Clock::time_point now = Clock::now();
    if (!force && now - s.lastProgress < std::chrono::milliseconds(200)) return;
    s.lastProgress = now;
    double elapsed = std::chrono::duration<double>(now - s.started).count();
    double rate = elapsed > 0 ? s.frames / elapsed : 0;
    uint64_t total = std::max(s.expectedFrames, s.frames);
    double fraction = total ? static_cast<double>(s.frames) / total : 0;
    double left = rate > 0 ? (total - s.frames) / rate : 0;
    char bar[31];
    int filled = static_cast<int>(fraction * 30);
    for (int i = 0; i < 30; ++i) bar[i] = i < filled ? '#' : '-';
    bar[30] = '\0';
    std::fprintf(stderr, "\r[%s] %llu/%llu frames %3.0f%% %5.0f fps %4.0f s left ", bar,
                 static_cast<unsigned long long>(s.frames), static_cast<unsigned long long>(total), fraction * 100, rate, left);
}

// Bytes a capture takes, measured on the show: H.264 at CRF 16 about 0.12
// bytes a pixel a frame, PNG frames about 0.4; AAC 32 kB a second, FLAC
// about 100 kB, WAV 176 kB.
double EstimatedBytes(Format format, uint64_t frames, int fps, int widthPx, int heightPx) {
    double seconds = static_cast<double>(frames) / fps;
    double pixels = static_cast<double>(widthPx) * heightPx * static_cast<double>(frames);
    if (format == Format::Frames) return pixels * 0.4 + seconds * 176400;
    return pixels * 0.12 + seconds * (format == Format::Matroska ? 100000 : 32000);
}

// A capture that far outgrows the free space of its file system is not
// started; one that may just outgrow it is warned of.
bool EnoughRoom(const std::string& out, uint64_t frames, int fps, int widthPx, int heightPx) {
    std::error_code error;
    std::filesystem::space_info space = std::filesystem::space(FolderOf(out), error);
    if (error) return true;
    double freeBytes = static_cast<double>(space.available);
    double needed = EstimatedBytes(FormatOf(out), frames, fps, widthPx, heightPx);
    constexpr double kMb = 1024.0 * 1024.0;
    if (freeBytes < needed / 2) {
        char reason[160];
        std::snprintf(reason, sizeof reason, "it needs about %.0f MB and only %.0f MB are free", needed / kMb,
                      freeBytes / kMb);
        ReportOutputFailure(out, reason);
        return false;
    }
    if (freeBytes < needed)
        std::fprintf(stderr, "pqn: %s may not fit: it needs about %.0f MB and %.0f MB are free\n", out.c_str(),
                     needed / kMb, freeBytes / kMb);
    return true;
}

}  // namespace

bool Preflight(const std::string& out) {
    if (FormatOf(out) == Format::Frames) return CheckOutputFolder(out, true);
    std::string whyNot;
    if (system::process::FindProgram("ffmpeg", &whyNot).empty()) {
        std::fprintf(stderr, "pqn: capturing to a video needs ffmpeg, which is %s; or capture to a folder of PNG frames\n",
                     whyNot.c_str());
        return false;
    }
    std::error_code error;
    if (std::filesystem::is_directory(out, error)) {
        ReportOutputFailure(out, "it is a folder");
        return false;
    }
    return CheckOutputFolder(FolderOf(out), false);
}

bool Start(const std::string& out, int framesPerSecond, double expectedSeconds, int widthPx, int heightPx) {
    State& s = S();
    s.out = out;
    s.fps = framesPerSecond;
    s.expectedFrames = static_cast<uint64_t>(expectedSeconds * framesPerSecond) + 1;
    if (!EnoughRoom(out, s.expectedFrames, framesPerSecond, widthPx, heightPx)) return false;
    Format format = FormatOf(out);
    s.sink = format == Format::Frames ? StartFramesSink(out)
                                      : StartVideoSink(out, format == Format::Matroska, framesPerSecond, widthPx, heightPx);
    if (!s.sink) return false;
    s.progress = isatty(2);
    s.started = s.lastProgress = Clock::now();
    s.active = true;
    return true;
}

bool Active() { return S().active; }

bool WantsRgba() { return S().active && S().sink->WantsRgba(); }

void Frame(std::vector<uint8_t>* pixels, int width, int height) {
    State& s = S();
    if (!s.active) return;
    if (!s.sink->Frame(pixels, width, height, s.frames)) {
        s.active = false;
        s.failed = true;
        return;
    }
    ++s.frames;
    WriteCoveredAudio(s.frames);
    ShowProgress(false);
}

void Audio(const int16_t* stereo, size_t frames) {
    State& s = S();
    // The sound of unseen frames (a seek's, to --at) is no part of the clip.
    if (!s.active || run::FrameUnseen()) return;
    s.heldAudio.insert(s.heldAudio.end(), stereo, stereo + frames * 2);
    WriteCoveredAudio(s.frames);
}

void Finish(bool interrupted) {
    State& s = S();
    if (!s.sink) return;
    s.expectedFrames = s.frames;  // the last line shows what was made
    ShowProgress(true);
    if (s.progress) std::fputc('\n', stderr);
    // The sound is as long as the frames: what was decoded beyond the last
    // one is dropped, and silence makes up for any shortfall.
    uint64_t wanted = SampleFramesFor(s.frames);
    WriteCoveredAudio(s.frames);
    std::vector<int16_t> silence(2 * 1024, 0);
    while (s.audioFrames < wanted)
        WriteSamples(silence.data(), static_cast<size_t>(std::min<uint64_t>(1024, wanted - s.audioFrames)));
    s.heldAudio.clear();
    s.active = false;
    s.failed = !s.sink->Finish(wanted) || s.failed;
    s.sink.reset();
    double wall = std::chrono::duration<double>(Clock::now() - s.started).count();
    double show = static_cast<double>(s.frames) / s.fps;
    if (s.failed) {
        std::fprintf(stderr, "pqn: stopped after %llu frames, %.2f s of show: %s could not be written as a whole\n",
                     static_cast<unsigned long long>(s.frames), show, s.out.c_str());
        return;
    }
    std::fprintf(stderr, "pqn: %s %llu frames, %.2f s of show, in %.1f s (%.1fx real time) -> %s\n",
                 interrupted ? "interrupted after" : "captured", static_cast<unsigned long long>(s.frames), show, wall,
                 wall > 0 ? show / wall : 0, s.out.c_str());
}

}  // namespace platform::capture
