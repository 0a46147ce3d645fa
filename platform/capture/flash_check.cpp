// The flash check's report (see platform/flash_check.h): each second of the
// run gets the most general and red flashes of any one second that ends in
// it, and the scene and position it starts at; the seconds over the
// threshold are listed, and every scene summed up.
#include "platform/flash_check.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "capture/flashes.h"

namespace platform::flash_check {

namespace {

struct Second {
    int scene = 0;
    MusicPosition start{0, 0};
    double general = 0, red = 0;
    bool Over() const { return general > flashes::kFlashesAllowedPerSecond || red > flashes::kFlashesAllowedPerSecond; }
};

struct SceneSum {
    int seconds = 0, secondsOver = 0;
    double mostGeneral = 0, mostRed = 0;
};

struct State {
    std::unique_ptr<flashes::FlashCounter> counter;
    uint64_t frames = 0;
    std::vector<Second> seconds;
};

State& S() {
    static State state;
    return state;
}

int Fps() { return std::max(1, Options().framesPerSecond); }

std::map<int, SceneSum> SumScenes(const std::vector<Second>& seconds) {
    std::map<int, SceneSum> scenes;
    for (const Second& second : seconds) {
        SceneSum& sum = scenes[second.scene];
        ++sum.seconds;
        sum.secondsOver += second.Over();
        sum.mostGeneral = std::max(sum.mostGeneral, second.general);
        sum.mostRed = std::max(sum.mostRed, second.red);
    }
    return scenes;
}

void ReportJson(const std::vector<Second>& seconds, const std::map<int, SceneSum>& scenes) {
    std::printf("{\"fps\":%d,\"frames\":%llu,\"allowed_per_second\":%.0f,\"seconds\":[", Fps(),
                static_cast<unsigned long long>(S().frames), flashes::kFlashesAllowedPerSecond);
    for (size_t i = 0; i < seconds.size(); ++i) {
        const Second& s = seconds[i];
        std::printf("%s{\"second\":%zu,\"scene\":%d,\"order\":%u,\"row\":%u,\"general\":%.1f,\"red\":%.1f,\"over\":%s}",
                    i ? "," : "", i, s.scene, s.start.order, s.start.row, s.general, s.red, s.Over() ? "true" : "false");
    }
    std::printf("],\"scenes\":[");
    bool first = true;
    for (const auto& [scene, sum] : scenes) {
        std::printf("%s{\"scene\":%d,\"seconds\":%d,\"seconds_over\":%d,\"most_general\":%.1f,\"most_red\":%.1f}",
                    first ? "" : ",", scene, sum.seconds, sum.secondsOver, sum.mostGeneral, sum.mostRed);
        first = false;
    }
    std::printf("]}\n");
}

void ReportTable(const std::vector<Second>& seconds, const std::map<int, SceneSum>& scenes) {
    int over = 0;
    for (const Second& s : seconds) over += s.Over();
    std::printf("Flashes in any one second (more than %.0f is over the threshold), %llu frames at %d fps:\n",
                flashes::kFlashesAllowedPerSecond, static_cast<unsigned long long>(S().frames), Fps());
    std::printf("%-6s %8s %11s %11s %9s %9s\n", "scene", "seconds", "over", "", "general", "red");
    std::printf("%-6s %8s %11s %11s %9s %9s\n", "", "", "(count)", "", "(most)", "(most)");
    for (const auto& [scene, sum] : scenes)
        std::printf("%-6d %8d %11d %11s %9.1f %9.1f\n", scene, sum.seconds, sum.secondsOver, "", sum.mostGeneral,
                    sum.mostRed);
    std::printf("%d of %zu seconds over the threshold\n", over, seconds.size());
    if (over == 0) return;
    std::printf("%-8s %-6s %-8s %9s %9s\n", "second", "scene", "from", "general", "red");
    for (size_t i = 0; i < seconds.size(); ++i) {
        const Second& s = seconds[i];
        if (!s.Over()) continue;
        char from[24];
        std::snprintf(from, sizeof from, "%u:%u", s.start.order, s.start.row);
        std::printf("%-8zu %-6d %-8s %9.1f %9.1f\n", i, s.scene, from, s.general, s.red);
    }
}

}  // namespace

void FramePresented(int scene, MusicPosition position, const std::vector<uint8_t>& rgb, int widthPx, int heightPx) {
    State& s = S();
    if (!s.counter) s.counter = std::make_unique<flashes::FlashCounter>(widthPx, heightPx, Fps());
    flashes::FrameFlashes now = s.counter->AddFrame(rgb.data());
    size_t second = static_cast<size_t>(s.frames / static_cast<uint64_t>(Fps()));
    if (second >= s.seconds.size()) s.seconds.push_back({scene, position, 0, 0});
    Second& here = s.seconds.back();
    here.general = std::max(here.general, now.general);
    here.red = std::max(here.red, now.red);
    ++s.frames;
}

void Report(bool json) {
    const std::vector<Second>& seconds = S().seconds;
    std::map<int, SceneSum> scenes = SumScenes(seconds);
    if (json) ReportJson(seconds, scenes);
    else ReportTable(seconds, scenes);
}

}  // namespace platform::flash_check
