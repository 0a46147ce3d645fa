// Starting at a later scene: the scenes before it run every frame of a whole
// run unseen, so from there on the frames, the sound, the positions and the
// raised sync flags are the whole run's, whatever the earlier scenes drew
// with random numbers (scene 3's scan lines, scene 4's tilt, the noise of
// scenes 8 and 9) or left raised (scene 4's flags for scene 5).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>

#include "formats/trace_file.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFramesCompared = 120;
constexpr int kSampleFramesPerFrame = 44100 / 5;
// Captures at 5 frames a second and a quarter of the pixels keep the test short;
// the random numbers show at any size.
const std::string kCaptureOptions = " --fps 5 --size 320x240";

std::string FramePath(const std::string& dir, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", frame);
    return dir + name;
}

std::string Sound(const std::string& dir) {
    std::ifstream wav(dir + "/audio.wav", std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(wav), std::istreambuf_iterator<char>()};
    return bytes.size() > 44 ? bytes.substr(44) : std::string();
}

std::vector<platform::TraceEntry> Frames(const std::string& trace) {
    std::vector<platform::TraceEntry> frames;
    for (const platform::TraceEntry& e : platform::ReadTraceFile(trace))
        if (e.type == "frame") frames.push_back(e);
    return frames;
}

// A capture with its trace; the output of pqn when it fails.
std::string CaptureRun(const std::string& name, const std::string& options) {
    std::string dir = test::TempDir() + "/" + name, output;
    fs::remove_all(dir);
    int status = test::RunPqn("--capture " + dir + "/ --trace " + dir + ".jsonl" + kCaptureOptions + options, &output);
    return status == 0 ? std::string() : output;
}

TEST(WarpTest, FromEverySceneTheFramesSoundAndFlagsAreTheWholeRuns) {
    std::vector<std::future<std::string>> runs;
    runs.push_back(std::async(std::launch::async, [] { return CaptureRun("warp-whole", ""); }));
    for (int scene = 2; scene <= 9; ++scene)
        runs.push_back(std::async(std::launch::async, [scene] {
            return CaptureRun("warp-" + std::to_string(scene),
                              " --scene " + std::to_string(scene) + " --frames " + std::to_string(kFramesCompared));
        }));
    for (auto& run : runs) ASSERT_EQ(run.get(), "");

    std::string whole = test::TempDir() + "/warp-whole";
    std::vector<platform::TraceEntry> wholeFrames = Frames(whole + ".jsonl");
    std::string wholeSound = Sound(whole);
    for (int scene = 2; scene <= 9; ++scene) {
        SCOPED_TRACE("--scene " + std::to_string(scene));
        std::string started = test::TempDir() + "/warp-" + std::to_string(scene);
        size_t first = 0;
        while (first < wholeFrames.size() && wholeFrames[first].scene != scene) ++first;
        ASSERT_LE(first + kFramesCompared, wholeFrames.size());

        std::vector<platform::TraceEntry> frames = Frames(started + ".jsonl");
        ASSERT_EQ(frames.size(), static_cast<size_t>(kFramesCompared));
        for (int i = 0; i < kFramesCompared; ++i) {
            const platform::TraceEntry &a = frames[i], &b = wholeFrames[first + i];
            ASSERT_EQ(a.scene * 100000 + a.order * 1000 + a.row, b.scene * 100000 + b.order * 1000 + b.row) << "frame " << i;
            ASSERT_EQ(a.flags, b.flags) << "frame " << i << " of the scene";
            ASSERT_EQ(a.ms, b.ms) << "frame " << i << " of the scene";
            std::vector<uint8_t> shown, wholeRuns;
            ASSERT_TRUE(test::ReadPng(FramePath(started, i), &shown));
            ASSERT_TRUE(test::ReadPng(FramePath(whole, first + i), &wholeRuns));
            ASSERT_TRUE(test::SamePixels(shown, wholeRuns, 320)) << "frame " << i << " of the scene";
        }
        std::string sound = Sound(started);
        EXPECT_EQ(sound.size(), static_cast<size_t>(kFramesCompared) * kSampleFramesPerFrame * 4);
        EXPECT_TRUE(sound == wholeSound.substr(first * kSampleFramesPerFrame * 4, sound.size()))
            << "the sound is not the whole run's from the scene's first frame";
    }
}

// A clip from --at to --to is the whole run's stretch: its frames from the
// first at or after --at to the last before --to, and their sound.
TEST(WarpTest, AClipFromAtToIsTheWholeRunsStretchPictureAndSound) {
    std::future<std::string> whole = std::async(std::launch::async, [] { return CaptureRun("clip-whole", " --to 6:0"); });
    std::string clipOutput = CaptureRun("clip", " --at 5:20 --to 6:0");
    ASSERT_EQ(whole.get(), "");
    ASSERT_EQ(clipOutput, "");

    std::string dir = test::TempDir();
    std::vector<platform::TraceEntry> wholeFrames = Frames(dir + "/clip-whole.jsonl"), frames = Frames(dir + "/clip.jsonl");
    size_t first = 0;
    while (first < wholeFrames.size() && wholeFrames[first].order * 1000 + wholeFrames[first].row < 5020) ++first;
    ASSERT_FALSE(frames.empty());
    ASSERT_EQ(first + frames.size(), wholeFrames.size()) << "the clip ends where the whole run to 6:0 ends";
    EXPECT_EQ(frames.back().order * 1000 + frames.back().row < 6000, true) << "no frame at or after --to";
    for (size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i].ms, wholeFrames[first + i].ms) << "frame " << i;
        std::vector<uint8_t> shown, wholeRuns;
        ASSERT_TRUE(test::ReadPng(FramePath(dir + "/clip", static_cast<int>(i)), &shown));
        ASSERT_TRUE(test::ReadPng(FramePath(dir + "/clip-whole", static_cast<int>(first + i)), &wholeRuns));
        ASSERT_TRUE(test::SamePixels(shown, wholeRuns, 320)) << "frame " << i << " of the clip";
    }
    std::string sound = Sound(dir + "/clip"), wholeSound = Sound(dir + "/clip-whole");
    EXPECT_EQ(sound.size(), frames.size() * kSampleFramesPerFrame * 4);
    EXPECT_TRUE(sound == wholeSound.substr(first * kSampleFramesPerFrame * 4, sound.size()))
        << "the clip's sound is not the whole run's from its first frame";
}

}  // namespace
