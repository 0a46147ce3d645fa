// Frame timing of a benchmark run, reported as a table or as JSON: per
// scene the frame times, and what a frame cost on average, the GL work
// asked of the driver and the time of each of the frame's steps.
#include "platform/bench.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "formats/trace_file.h"
#include "platform/clock.h"
#include "platform/options.h"
#include "base/frame_costs.h"
#include "gl/pixel_counter.h"
#include "present/surface.h"
#include "system/process.h"

namespace platform::bench {

namespace {

using Clock = std::chrono::steady_clock;

struct State {
    Clock::time_point start, last, firstFrame;
    bool sawFrame = false;
    std::map<int, std::vector<double>> frameMs;  // by scene
    std::map<int, base::costs::Totals> sceneCosts;     // the scene's frames together
    std::map<int, gl::pixels::FramePixels> scenePixels;  // the scene's counted frames together
    std::map<int, size_t> pixelFrames;                   // how many of them
    uint64_t framePixels = 0;                            // the pixels of one frame
    base::costs::Totals costsAtLastFrame;
    // The seeks: their targets, the whole run's frame at each (a hash of its
    // pixels, 0 until the show passes it), and each seek's frame once shown.
    std::vector<MusicPosition> targets;
    std::vector<uint64_t> wholeRunFrame;
    std::map<uint64_t, size_t> seekFrames;  // presented frame number -> target
    bool seeking = false;
    size_t seekTarget = 0;
    size_t exactSeeks = 0, comparedSeeks = 0;
    bool passedAny = false;  // the show frame read back last, as the show passes the targets
    MusicPosition lastPassed{0, 0};
    uint32_t showMsBeforeSeeks = 0;
    Clock::time_point seekStart;
    std::vector<double> seekMs;
    size_t checkpoints = 0, checkpointBytes = 0;
};

State& S() {
    static State state;
    return state;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t index = std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
    return values[index];
}

// Adds what was counted between `before` and `now` to `sum`.
void AddSince(const base::costs::Totals& before, const base::costs::Totals& now, base::costs::Totals* sum) {
    sum->draws += now.draws - before.draws;
    sum->stateChanges += now.stateChanges - before.stateChanges;
    sum->bufferUploads += now.bufferUploads - before.bufferUploads;
    for (int step = 0; step < base::costs::kStepCount; ++step) sum->stepMs[step] += now.stepMs[step] - before.stepMs[step];
}

const char* const kStepNames[base::costs::kStepCount] = {"tick", "draw", "flush", "text", "finish", "readback", "present"};

// A scene's average frame: GL work and step times, as JSON fields or table columns.
void PrintCosts(const base::costs::Totals& sum, size_t frames, bool json) {
    double n = frames > 0 ? static_cast<double>(frames) : 1;
    if (json)
        std::printf(",\"draws\":%.1f,\"state_changes\":%.1f,\"buffer_uploads\":%.1f", sum.draws / n,
                    sum.stateChanges / n, sum.bufferUploads / n);
    else
        std::printf(" %7.1f %7.1f %7.1f", sum.draws / n, sum.stateChanges / n, sum.bufferUploads / n);
    for (int step = 0; step < base::costs::kStepCount; ++step) {
        if (json) std::printf(",\"%s_ms\":%.3f", kStepNames[step], sum.stepMs[step] / n);
        else std::printf(" %8.3f", sum.stepMs[step] / n);
    }
}

// FNV-1a over a frame's pixels, never 0.
uint64_t PixelsHash(const std::vector<uint8_t>& pixels) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t byte : pixels) hash = (hash ^ byte) * 1099511628211ull;
    return hash | 1;
}

// A frame read back while the show passes the seeks' targets, or a seek's
// own frame: kept, or compared with the whole run's.
void NoteSeekFrame(State& s, MusicPosition position, uint64_t presented, const std::vector<uint8_t>& pixels) {
    auto seek = s.seekFrames.find(presented);
    if (seek != s.seekFrames.end()) {
        uint64_t whole = s.wholeRunFrame[seek->second];  // 0: a moment before the run's start (--scene)
        if (whole) ++s.comparedSeeks;
        if (whole && whole == PixelsHash(pixels)) ++s.exactSeeks;
        s.seekFrames.erase(seek);
        return;
    }
    if (s.seeking || !s.seekMs.empty()) return;
    // The first frame at or after a target: the one before it was before the
    // target (or it is the show's first frame, and the target its start).
    for (size_t i = 0; i < s.targets.size(); ++i) {
        const MusicPosition& target = s.targets[i];
        bool firstThere = s.passedAny ? s.lastPassed < target : target.order == 0 && target.row == 0;
        if (!s.wholeRunFrame[i] && position >= target && firstThere) s.wholeRunFrame[i] = PixelsHash(pixels);
    }
    s.passedAny = true;
    s.lastPassed = position;
}

// Every 16th frame's pixels are counted; reading the counts stalls the
// driver, so that frame and the one before it (whose read-back may arrive
// after the stall) are left out of the frame times and costs.
constexpr uint64_t kPixelsCountedEvery = 16;

bool TimedFrame(uint64_t presented) {
    uint64_t phase = presented % kPixelsCountedEvery;
    return phase != 0 && phase != kPixelsCountedEvery - 1;
}

void AddPixels(const gl::pixels::FramePixels& frame, gl::pixels::FramePixels* sum) {
    sum->shaded += frame.shaded;
    sum->written += frame.written;
    sum->blended += frame.blended;
    sum->depthTested += frame.depthTested;
    sum->textured += frame.textured;
    sum->cleared += frame.cleared;
}

}  // namespace

void Start() {
    S().start = S().last = Clock::now();
    gl::pixels::CountEveryNthFrame(kPixelsCountedEvery);
}

void PlanSeeks(const std::vector<MusicPosition>& targets) {
    S().targets = targets;
    S().wholeRunFrame.assign(targets.size(), 0);
}

void SeekStarted(size_t target) {
    State& s = S();
    if (s.seekMs.empty() && !s.seeking) s.showMsBeforeSeeks = ShowTimeMs();
    gl::pixels::CountEveryNthFrame(0);
    s.seeking = true;
    s.seekTarget = target;
    s.seekStart = Clock::now();
}

void SeekShown(uint64_t presented) {
    State& s = S();
    if (!s.seeking) return;
    s.seeking = false;
    s.seekMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - s.seekStart).count());
    s.seekFrames[presented] = s.seekTarget;
}

void NoteCheckpoints(size_t count, size_t bytes) {
    S().checkpoints = count;
    S().checkpointBytes = bytes;
}

void FramePresented(int scene, MusicPosition position, uint64_t presented, const std::vector<uint8_t>& pixels) {
    State& s = S();
    Clock::time_point now = Clock::now();
    if (!s.targets.empty()) NoteSeekFrame(s, position, presented, pixels);
    if (s.seeking || !s.seekMs.empty()) return;
    gl::pixels::FramePixels counted;
    if (gl::pixels::TakeCountedFrame(presented, &counted) && scene > 0) {
        AddPixels(counted, &s.scenePixels[scene]);
        ++s.pixelFrames[scene];
        int widthPx = 0, heightPx = 0;
        present::FrameSizePx(&widthPx, &heightPx);
        s.framePixels = static_cast<uint64_t>(widthPx) * static_cast<uint64_t>(heightPx);
    }
    if (!s.sawFrame) {
        s.sawFrame = true;
        s.firstFrame = now;
    } else if (scene > 0 && TimedFrame(presented)) {
        s.frameMs[scene].push_back(std::chrono::duration<double, std::milli>(now - s.last).count());
        AddSince(s.costsAtLastFrame, base::costs::Counted(), &s.sceneCosts[scene]);
    }
    s.costsAtLastFrame = base::costs::Counted();
    s.last = now;
}

namespace {

// The seeks' times (median, 95th percentile, worst), how many showed the
// whole run's frame, and the checkpoints they went on from.
void ReportSeeks(const State& s, bool json) {
    if (s.seekMs.empty()) return;
    double worst = *std::max_element(s.seekMs.begin(), s.seekMs.end());
    double median = Percentile(s.seekMs, 0.5), p95 = Percentile(s.seekMs, 0.95);
    if (json)
        std::printf(",\"seeks\":{\"count\":%zu,\"median_ms\":%.2f,\"p95_ms\":%.2f,\"worst_ms\":%.2f,\"compared\":%zu,"
                    "\"exact\":%zu,\"checkpoints\":%zu,\"checkpoint_kb\":%.1f}",
                    s.seekMs.size(), median, p95, worst, s.comparedSeeks, s.exactSeeks, s.checkpoints,
                    s.checkpointBytes / 1024.0);
    else
        std::printf("seeks: %zu to random moments, first frame in %.2f ms (median), %.2f ms (95th percentile), %.2f ms "
                    "(worst); the whole run's frame in %zu of %zu compared; from %zu checkpoints taking %.1f KB\n",
                    s.seekMs.size(), median, p95, worst, s.exactSeeks, s.comparedSeeks, s.checkpoints,
                    s.checkpointBytes / 1024.0);
}

// A scene's counted frames: each kind of pixel as a multiple of the frame's
// pixels, and the mean frame's milliseconds per million pixels shaded.
void PrintPixels(const State& s, int scene, double meanFrameMs, bool json) {
    auto frames = s.pixelFrames.find(scene);
    if (frames == s.pixelFrames.end() || s.framePixels == 0) return;
    const gl::pixels::FramePixels& sum = s.scenePixels.at(scene);
    double per = static_cast<double>(frames->second) * static_cast<double>(s.framePixels);
    double shadedPerFrame = static_cast<double>(sum.shaded) / static_cast<double>(frames->second);
    double msPerMillion = shadedPerFrame > 0 ? meanFrameMs / (shadedPerFrame / 1e6) : 0;
    if (json)
        std::printf(",\"pixels\":{\"frames\":%zu,\"shaded\":%.3f,\"written\":%.3f,\"blended\":%.3f,\"depth_tested\":%.3f,"
                    "\"textured\":%.3f,\"cleared\":%.3f,\"ms_per_million_shaded\":%.3f}",
                    frames->second, sum.shaded / per, sum.written / per, sum.blended / per, sum.depthTested / per,
                    sum.textured / per, sum.cleared / per, msPerMillion);
    else
        std::printf("%5d %7zu %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %10.3f\n", scene, frames->second, sum.shaded / per,
                    sum.written / per, sum.blended / per, sum.depthTested / per, sum.textured / per, sum.cleared / per,
                    msPerMillion);
}

double MeanMs(const std::vector<double>& ms) {
    double sum = 0;
    for (double v : ms) sum += v;
    return ms.empty() ? 0 : sum / static_cast<double>(ms.size());
}

// The pixel table (text only; JSON carries them with each scene).
void ReportPixels(const State& s) {
    if (s.pixelFrames.empty()) return;
    std::printf("pixels per frame, as multiples of the frame's pixels, counted by the driver in every %llu th frame:\n"
                "scene  frames   shaded  written  blended    depth textured  cleared  ms/Mpixel\n",
                static_cast<unsigned long long>(kPixelsCountedEvery));
    for (const auto& entry : s.frameMs) PrintPixels(s, entry.first, MeanMs(entry.second), false);
}

}  // namespace

void Report(bool json) {
    State& s = S();
    double startup = std::chrono::duration<double>(s.firstFrame - s.start).count();
    double wall = std::chrono::duration<double>(s.last - s.firstFrame).count();
    double show = (s.seekMs.empty() ? ShowTimeMs() : s.showMsBeforeSeeks) / 1000.0;
    size_t total = 0;
    if (json) std::printf("{\"startup_s\":%.3f,\"scenes\":[", startup);
    else
        std::printf("start-up to first scene frame: %.3f s\n"
                    "scene  frames     fps  median ms  p99 ms   draws  states uploads  tick ms  draw ms flush ms"
                    "  text ms finish ms  read ms  show ms\n"
                    "                                          (per frame)               (mean per frame)\n",
                    startup);
    bool first = true;
    for (const auto& entry : s.frameMs) {
        const std::vector<double>& ms = entry.second;
        double sum = 0;
        for (double v : ms) sum += v;
        double fps = sum > 0 ? 1000.0 * ms.size() / sum : 0;
        total += ms.size();
        if (json)
            std::printf("%s{\"scene\":%d,\"frames\":%zu,\"fps\":%.1f,\"median_ms\":%.3f,\"p99_ms\":%.3f", first ? "" : ",",
                        entry.first, ms.size(), fps, Percentile(ms, 0.5), Percentile(ms, 0.99));
        else
            std::printf("%5d %7zu %7.1f %10.3f %7.3f", entry.first, ms.size(), fps, Percentile(ms, 0.5), Percentile(ms, 0.99));
        PrintCosts(s.sceneCosts[entry.first], ms.size(), json);
        if (json) PrintPixels(s, entry.first, MeanMs(ms), true);
        std::printf(json ? "}" : "\n");
        first = false;
    }
    double speed = wall > 0 ? show / wall : 0;
    if (json) std::printf("],\"frames\":%zu,\"show_s\":%.2f,\"wall_s\":%.2f,\"capture_speed\":%.2f", total, show, wall, speed);
    else std::printf("whole show: %zu frames, %.2f s of show rendered and read back in %.2f s: %.2fx real time\n", total, show, wall, speed);
    if (!json) ReportPixels(s);
    ReportSeeks(s, json);
    if (json) std::printf("}\n");
}

}  // namespace platform::bench

namespace platform::bench {

namespace {

struct ChildRun {
    bool ok = false;
    double wallS = 0;
    double cpuS = 0;       // the run and the processes it waited for
    long peakKb = 0;       // its largest resident set, or its children's
    std::string output;    // what it printed on stdout
};

// Runs this program again with `arguments`, its stderr silenced; a run that
// fails is said on stderr.
ChildRun RunSelf(const std::vector<std::string>& arguments) {
    ChildRun run;
    std::vector<std::string> args{"pqn"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::string program = system::process::OwnProgram();
    std::string line;
    for (const std::string& arg : args) line += (line.empty() ? "" : " ") + arg;
    if (program.empty()) {
        std::fprintf(stderr, "pqn: --bench cannot run %s: this system does not name the program's own file\n",
                     line.c_str());
        return run;
    }
    system::process::Options options;
    options.path = program.c_str();
    int output = -1;
    options.output = &output;
    options.silenceErrors = true;
    Clock::time_point start = Clock::now();
    system::process::ProcessId pid = system::process::Start(args, options);
    if (pid < 0) {
        std::fprintf(stderr, "pqn: --bench cannot start %s (%s)\n", line.c_str(), program.c_str());
        return run;
    }
    char buffer[4096];
    for (ssize_t n; (n = read(output, buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        run.output.append(buffer, static_cast<size_t>(n));
    }
    close(output);
    system::process::Usage usage;
    run.ok = system::process::Wait(pid, &usage) == 0;
    run.wallS = std::chrono::duration<double>(Clock::now() - start).count();
    run.cpuS = usage.cpuSeconds;
    run.peakKb = usage.peakMemoryKb;
    if (!run.ok) std::fprintf(stderr, "pqn: --bench's run of %s failed (%s)\n", line.c_str(), program.c_str());
    return run;
}


// A folder of its own in the system's temporary folder, or empty.
std::string NewTemporaryFolder() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return std::string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        std::filesystem::path folder = base / ("pqn-bench-" + std::to_string(stamp));
        if (std::filesystem::create_directory(folder, error)) return folder.string();
    }
    return std::string();
}

}  // namespace

void ReportCaptureSpeeds(const std::string& dataDir, bool json, int frameLimit) {
    constexpr int kSampleFps = 6, kShowFps = 60;
    const struct { const char* name; std::vector<std::string> option; } kSizes[] = {
        {"640x480", {"--scale", "1"}}, {"1920x1080", {"--size", "1080p"}}, {"3840x2160", {"--size", "2160p"}}};
    std::string folder = NewTemporaryFolder();
    if (folder.empty()) return;
    std::string video = folder + "/capture.mp4";
    if (json) std::printf("{\"capture_speeds\":[");
    else std::printf("\ncapture speed at 60 fps, from every tenth frame of the show:\n"
                     "size        render+readback  capture  capture/render  encoders' CPU share  capture peak memory\n");
    bool first = true;
    for (const auto& size : kSizes) {
        std::vector<std::string> common{"--fps", std::to_string(kSampleFps), "--data", dataDir};
        // The captures draw the way this run was asked to.
        if (Options().gl == GlWay::kFixedFunction) common.insert(common.end(), {"--gl", "fixed"});
        if (Options().gl == GlWay::kEs3) common.insert(common.end(), {"--gl", "es3"});
        if (frameLimit > 0) {
            common.push_back("--frames");
            common.push_back(std::to_string(std::max(1, frameLimit * kSampleFps / kShowFps)));
        }
        common.insert(common.end(), size.option.begin(), size.option.end());
        std::vector<std::string> renderArgs{"--bench", "--json"}, captureArgs{"--capture", video};
        renderArgs.insert(renderArgs.end(), common.begin(), common.end());
        captureArgs.insert(captureArgs.end(), common.begin(), common.end());
        ChildRun render = RunSelf(renderArgs), capture = RunSelf(captureArgs);
        std::remove(video.c_str());
        double showS = JsonNumberField(render.output, "show_s", 0);
        double perFrame = static_cast<double>(kSampleFps) / kShowFps;
        double renderSpeed = render.ok ? showS / render.wallS * perFrame : 0;
        double captureSpeed = capture.ok ? showS / capture.wallS * perFrame : 0;
        double encoderShare = capture.cpuS > 0 ? std::max(0.0, capture.cpuS - render.cpuS) / capture.cpuS : 0;
        double ratio = renderSpeed > 0 ? captureSpeed / renderSpeed : 0;
        if (json)
            std::printf("%s{\"size\":\"%s\",\"render_speed\":%.2f,\"capture_speed\":%.2f,\"encoder_cpu_share\":%.3f,"
                        "\"capture_peak_mb\":%.0f}",
                        first ? "" : ",", size.name, renderSpeed, captureSpeed, encoderShare, capture.peakKb / 1024.0);
        else
            std::printf("%-11s %14.2fx %7.2fx %14.0f%% %19.0f%% %17.0f MB\n", size.name, renderSpeed, captureSpeed,
                        100 * ratio, 100 * encoderShare, capture.peakKb / 1024.0);
        std::fflush(stdout);
        first = false;
    }
    if (json) std::printf("]}\n");
    std::error_code removed;
    std::filesystem::remove(folder, removed);
}

}  // namespace platform::bench
