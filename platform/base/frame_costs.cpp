// Running totals of what the frames cost (see frame_costs.h).
#include "base/frame_costs.h"

#include <chrono>

namespace platform::base::costs {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point g_lastStepEnd = Clock::now();

}  // namespace

Totals& Counted() {
    static Totals totals;
    return totals;
}

void EndStep(Step step) {
    Clock::time_point now = Clock::now();
    Counted().stepMs[step] += std::chrono::duration<double, std::milli>(now - g_lastStepEnd).count();
    g_lastStepEnd = now;
}

}  // namespace platform::base::costs
