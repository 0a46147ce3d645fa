// Seeks from checkpoints: the benchmark's forty seeks to random moments,
// after a whole run, each show the whole run's frame there (a hash of its
// pixels), random flicker, sync flags and GL state included.
#include <gtest/gtest.h>

#include <string>

#include "support.h"

namespace {

// The number after `"name":` in the benchmark's JSON, or -1.
long Field(const std::string& json, const std::string& name) {
    size_t at = json.find("\"" + name + "\":");
    return at == std::string::npos ? -1 : std::stol(json.substr(at + name.size() + 3));
}

TEST(SeekTest, EverySeekOfTheBenchmarkShowsTheWholeRunsFrame) {
    std::string output;
    int status = test::RunPqn("--headless --bench --json --fps 10 --scale 1", &output);
    ASSERT_EQ(status, 0) << output;
    size_t seeks = output.find("\"seeks\":");
    ASSERT_NE(seeks, std::string::npos) << "no seek figures in:\n" << output;
    std::string figures = output.substr(seeks);
    EXPECT_EQ(Field(figures, "count"), 40) << figures;
    EXPECT_EQ(Field(figures, "compared"), 40) << figures;
    EXPECT_EQ(Field(figures, "exact"), 40) << "seeks that did not show the whole run's frame:\n" << figures;
    EXPECT_GT(Field(figures, "checkpoints"), 400) << figures;
}

}  // namespace
