// Start-up when the machine fails it, run as pqn itself: a display no server
// answers, no window to draw in, no GL context. Each is reported and the
// program ends; none may crash it or leave it running unseen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "support.h"

namespace {

struct PqnRun {
    int exitCode = -1;
    std::string output;
    std::vector<std::string> trace;
};

// pqn with `arguments` and one variable set in its environment.
PqnRun RunWith(const char* variable, const char* value, const std::string& arguments) {
    PqnRun run;
    std::string trace = test::TempDir() + "/startup-" + variable + ".jsonl";
    setenv(variable, value, 1);
    run.exitCode = test::RunPqn(arguments + " --trace " + trace, &run.output);
    unsetenv(variable);
    std::ifstream file(trace);
    for (std::string line; std::getline(file, line);) run.trace.push_back(line);
    return run;
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

bool Traced(const PqnRun& run, const std::string& part) {
    for (const std::string& line : run.trace)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

// SDL falls back to drawing offscreen when no X server answers; the show
// must not then run unseen in real time.
TEST(StartUpTest, ADisplayThatDoesNotAnswerIsReportedAndNothingRuns) {
    PqnRun run = RunWith("DISPLAY", ":217", "--window --scene 9");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("cannot open the display :217"), std::string::npos) << run.output;
    EXPECT_FALSE(Traced(run, "\"frame\"")) << "the show ran without a display";
}

// Without a GL context the failure is shown, the quit message carries code 1,
// loading goes on (without crashing in GLU), and the first scene ends the show
// before it draws; the program still ends normally.
TEST(StartUpTest, WithoutAGlContextTheShowSaysSoAndEndsAtItsFirstFrame) {
    PqnRun run = RunWith("MESA_GL_VERSION_OVERRIDE", "0.1", "--headless");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Count(run.output, "Kestrel Error: Can't create GL rendering context!"), 1) << run.output;
    EXPECT_TRUE(Traced(run, "{\"type\":\"quit\",\"code\":1}"));
    EXPECT_FALSE(Traced(run, "\"frame\""));
}

// Without a window (no EGL device to draw with) each GL step shows its own
// failure and the show ends the same way.
TEST(StartUpTest, WithoutAWindowEachGlStepSaysItFailedAndTheShowEnds) {
    PqnRun run = RunWith("__EGL_VENDOR_LIBRARY_FILENAMES", "/nonexistent/egl-vendor.json", "--headless");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("cannot open a window"), std::string::npos) << run.output;
    EXPECT_EQ(Count(run.output, "Kestrel Error: Can't find suitable pixel format!"), 1) << run.output;
    EXPECT_EQ(Count(run.output, "Kestrel Error: Can't create GL rendering context!"), 1) << run.output;
    EXPECT_TRUE(Traced(run, "{\"type\":\"quit\",\"code\":1}"));
    EXPECT_FALSE(Traced(run, "\"frame\""));
}

}  // namespace
