// SIGINT and SIGTERM at several moments of a run: while loading a data set
// with a named pipe in it, during a scene, while the scenes before --scene 9
// run unseen, and during a capture. Each time the program ends cleanly
// (exit 0) within a second, and a capture leaves a video that plays.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "formats/trace_file.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Ending {
    int exitCode = -1;   // -1: killed by a signal or still running after the limit
    double afterSignalS = 0;
    bool endedBeforeTheSignal = false;
    std::string outputFile;
};

// Starts pqn with `arguments` and a trace, sends `signal` once the trace
// shows that the run has come to the moment `reached` looks for, and waits
// at most `limitS` seconds for it to end (then kills it). What pqn printed
// is kept for a failure to show.
Ending SignalWhen(std::vector<std::string> arguments, const std::function<bool(const platform::TraceEntry&)>& reached,
                  int signal, double limitS) {
    static int runs = 0;
    std::string base = test::TempDir() + "/signalled-run-" + std::to_string(++runs);
    std::string trace = base + ".jsonl";
    Ending ending;
    ending.outputFile = base + ".out";
    arguments.insert(arguments.end(), {"--trace", trace});
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen(ending.outputFile.c_str(), "w", stdout) || dup2(fileno(stdout), 2) < 0) _exit(126);
        std::vector<char*> argv{const_cast<char*>(PQN_BINARY)};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(PQN_BINARY, argv.data());
        _exit(127);
    }
    if (pid < 0) return ending;
    auto atTheMoment = [&] {
        for (const platform::TraceEntry& e : platform::ReadTraceFile(trace))
            if (reached(e)) return true;
        return false;
    };
    int status = 0;
    for (int waitedMs = 0; waitedMs < 120000 && !atTheMoment(); waitedMs += 10) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            ending.endedBeforeTheSignal = true;
            ending.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return ending;
        }
        usleep(10000);
    }
    kill(pid, signal);
    Clock::time_point sent = Clock::now();
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::duration<double>(Clock::now() - sent).count() > limitS) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ending.afterSignalS = limitS;
            return ending;
        }
        usleep(10000);
    }
    ending.afterSignalS = std::chrono::duration<double>(Clock::now() - sent).count();
    ending.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return ending;
}

// How the run ended, and what it printed, for a failure.
std::string Describe(const Ending& ending) {
    return std::string(ending.endedBeforeTheSignal ? "ended before the signal" : "signalled") + ", exit status " +
           std::to_string(ending.exitCode) + ", " + std::to_string(ending.afterSignalS) +
           " s after the signal; pqn printed:\n" + test::FileText(ending.outputFile);
}

class SignalTest : public ::testing::TestWithParam<int> {};

TEST_P(SignalTest, WhileLoadingADataSetWithAPipe) {
    fs::path data = fs::path(test::TempDir()) / ("pipe-data-" + std::to_string(GetParam()));
    fs::remove_all(data);
    fs::copy(PQN_DATA_DIR, data, fs::copy_options::recursive);
    fs::remove(data / "images" / "tausta1.raw");
    ASSERT_EQ(mkfifo((data / "images" / "tausta1.raw").c_str(), 0644), 0);
    // Signalled once the pipe has been met (its message box, the only one), while the rest is loaded.
    auto pipeMet = [](const platform::TraceEntry& e) { return e.type == "error"; };
    Ending ending = SignalWhen({"--headless", "--data", data.string()}, pipeMet, GetParam(), 1.0);
    EXPECT_FALSE(ending.endedBeforeTheSignal) << Describe(ending);
    EXPECT_EQ(ending.exitCode, 0) << Describe(ending);
    EXPECT_LT(ending.afterSignalS, 1.0) << Describe(ending);
}

TEST_P(SignalTest, DuringAScene) {
    auto intoTheFirstScene = [](const platform::TraceEntry& e) { return e.type == "frame" && e.ms >= 1500; };
    Ending ending = SignalWhen({"--headless", "--fps", "30"}, intoTheFirstScene, GetParam(), 1.0);
    EXPECT_FALSE(ending.endedBeforeTheSignal) << Describe(ending);
    EXPECT_EQ(ending.exitCode, 0) << Describe(ending);
    EXPECT_LT(ending.afterSignalS, 1.0) << Describe(ending);
}

TEST_P(SignalTest, WhileTheScenesBeforeTheLastRunUnseen) {
    auto unseen = [](const platform::TraceEntry& e) { return e.type == "unseen"; };
    Ending ending = SignalWhen({"--headless", "--scene", "9"}, unseen, GetParam(), 1.0);
    EXPECT_FALSE(ending.endedBeforeTheSignal) << Describe(ending);
    EXPECT_EQ(ending.exitCode, 0) << Describe(ending);
    EXPECT_LT(ending.afterSignalS, 1.0) << Describe(ending);
}

// A capture is finished before the program ends: the sound and the frames
// are put together into a video that plays, which may take a moment more.
// The signal comes once a second of the show has been captured.
TEST_P(SignalTest, DuringACaptureTheVideoStillPlays) {
    if (std::system("command -v ffprobe > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    std::string video = test::TempDir() + "/signalled-" + std::to_string(GetParam()) + ".mp4";
    fs::remove(video);
    auto aSecondCaptured = [](const platform::TraceEntry& e) { return e.type == "frame" && e.ms >= 177800; };
    Ending ending = SignalWhen({"--capture", video, "--scene", "9", "--fps", "10"}, aSecondCaptured, GetParam(), 5.0);
    EXPECT_FALSE(ending.endedBeforeTheSignal) << Describe(ending);
    EXPECT_EQ(ending.exitCode, 0) << Describe(ending);
    EXPECT_LT(ending.afterSignalS, 5.0) << Describe(ending);
    std::string probe = "ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 " +
                        video + " > " + video + ".frames";
    ASSERT_EQ(std::system(probe.c_str()), 0);
    std::FILE* frames = std::fopen((video + ".frames").c_str(), "r");
    int count = 0;
    ASSERT_TRUE(frames && std::fscanf(frames, "%d", &count) == 1);
    std::fclose(frames);
    EXPECT_GT(count, 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGINT ? "SIGINT" : "SIGTERM");
                         });

}  // namespace
