// Frame timing of a benchmark run, reported as a table or as JSON.
#include "bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

#include "runtime.h"

namespace platform::bench {

namespace {

using Clock = std::chrono::steady_clock;

struct State {
    Clock::time_point start, last, firstFrame;
    bool sawFrame = false;
    std::map<int, std::vector<double>> frameMs;  // by scene
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

}  // namespace

void Start() { S().start = S().last = Clock::now(); }

void FramePresented(int scene) {
    State& s = S();
    Clock::time_point now = Clock::now();
    if (!s.sawFrame) {
        s.sawFrame = true;
        s.firstFrame = now;
    } else if (scene > 0) {
        s.frameMs[scene].push_back(std::chrono::duration<double, std::milli>(now - s.last).count());
    }
    s.last = now;
}

void Report(bool json) {
    State& s = S();
    double startup = std::chrono::duration<double>(s.firstFrame - s.start).count();
    double wall = std::chrono::duration<double>(s.last - s.firstFrame).count();
    double show = ShowTimeMs() / 1000.0;
    size_t total = 0;
    if (json) std::printf("{\"startup_s\":%.3f,\"scenes\":[", startup);
    else std::printf("start-up to first scene frame: %.3f s\nscene  frames     fps  median ms  p99 ms\n", startup);
    bool first = true;
    for (const auto& entry : s.frameMs) {
        const std::vector<double>& ms = entry.second;
        double sum = 0;
        for (double v : ms) sum += v;
        double fps = sum > 0 ? 1000.0 * ms.size() / sum : 0;
        total += ms.size();
        if (json)
            std::printf("%s{\"scene\":%d,\"frames\":%zu,\"fps\":%.1f,\"median_ms\":%.3f,\"p99_ms\":%.3f}", first ? "" : ",",
                        entry.first, ms.size(), fps, Percentile(ms, 0.5), Percentile(ms, 0.99));
        else
            std::printf("%5d %7zu %7.1f %10.3f %7.3f\n", entry.first, ms.size(), fps, Percentile(ms, 0.5), Percentile(ms, 0.99));
        first = false;
    }
    double speed = wall > 0 ? show / wall : 0;
    if (json) std::printf("],\"frames\":%zu,\"show_s\":%.2f,\"wall_s\":%.2f,\"capture_speed\":%.2f}\n", total, show, wall, speed);
    else std::printf("whole show: %zu frames, %.2f s of show rendered and read back in %.2f s: %.2fx real time\n", total, show, wall, speed);
}

}  // namespace platform::bench
