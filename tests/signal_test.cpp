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
#include <string>
#include <vector>

#include "support.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Ending {
    int exitCode = -1;   // -1: killed by a signal or still running after the limit
    double afterSignalS = 0;
};

// Starts pqn with `arguments`, sends `signal` after `delayS` seconds (counted
// from when the file `startedFile` has something in it, if one is named) and
// waits at most `limitS` seconds for it to end (then kills it).
Ending SignalAfter(const std::vector<std::string>& arguments, double delayS, int signal, double limitS,
                   const std::string& startedFile = "") {
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(126);
        std::vector<char*> argv{const_cast<char*>(PQN_BINARY)};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(PQN_BINARY, argv.data());
        _exit(127);
    }
    Ending ending;
    if (pid < 0) return ending;
    auto started = [&] {
        std::error_code error;
        return startedFile.empty() || (fs::exists(startedFile, error) && fs::file_size(startedFile, error) > 0);
    };
    for (int waitedMs = 0; waitedMs < 60000 && !started(); waitedMs += 10) usleep(10000);
    usleep(static_cast<useconds_t>(delayS * 1e6));
    kill(pid, signal);
    Clock::time_point sent = Clock::now();
    int status = 0;
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

class SignalTest : public ::testing::TestWithParam<int> {};

TEST_P(SignalTest, WhileLoadingADataSetWithAPipe) {
    fs::path data = fs::path(test::TempDir()) / ("pipe-data-" + std::to_string(GetParam()));
    fs::remove_all(data);
    fs::copy(PQN_DATA_DIR, data, fs::copy_options::recursive);
    fs::remove(data / "images" / "tausta1.raw");
    ASSERT_EQ(mkfifo((data / "images" / "tausta1.raw").c_str(), 0644), 0);
    Ending ending = SignalAfter({"--headless", "--data", data.string()}, 0.05, GetParam(), 1.0);
    EXPECT_EQ(ending.exitCode, 0);
    EXPECT_LT(ending.afterSignalS, 1.0);
}

TEST_P(SignalTest, DuringAScene) {
    Ending ending = SignalAfter({"--headless", "--fps", "30"}, 1.5, GetParam(), 1.0);
    EXPECT_EQ(ending.exitCode, 0);
    EXPECT_LT(ending.afterSignalS, 1.0);
}

TEST_P(SignalTest, WhileTheScenesBeforeTheLastRunUnseen) {
    Ending ending = SignalAfter({"--headless", "--scene", "9"}, 0.2, GetParam(), 1.0);
    EXPECT_EQ(ending.exitCode, 0);
    EXPECT_LT(ending.afterSignalS, 1.0);
}

// A capture is finished before the program ends: the sound and the frames
// are put together into a video that plays, which may take a moment more.
// The signal comes a second after the video has begun.
TEST_P(SignalTest, DuringACaptureTheVideoStillPlays) {
    if (std::system("command -v ffprobe > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    std::string video = test::TempDir() + "/signalled-" + std::to_string(GetParam()) + ".mp4";
    fs::remove(video);
    Ending ending = SignalAfter({"--capture", video, "--scene", "9", "--fps", "10"}, 1.0, GetParam(), 5.0, video);
    EXPECT_EQ(ending.exitCode, 0);
    EXPECT_LT(ending.afterSignalS, 5.0);
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
