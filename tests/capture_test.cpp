// Capture: a stretch of the show to PNG frames and a WAV file, of the right
// length, not black, the same on every run and as the show draws it; a clean stop on Ctrl+C; a clear
// refusal when ffmpeg is missing for a video.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/png_file.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

struct Capture {
    int frames = 0;
    uint32_t audioFrames = 0;
};

Capture Inspect(const std::string& dir) {
    Capture c;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == ".png") ++c.frames;
    std::ifstream wav(dir + "/audio.wav", std::ios::binary);
    char header[44] = {};
    wav.read(header, 44);
    uint32_t dataBytes = 0;
    std::memcpy(&dataBytes, header + 40, 4);
    c.audioFrames = dataBytes / 4;
    EXPECT_EQ(fs::file_size(dir + "/audio.wav"), 44u + dataBytes);
    return c;
}

std::string Bytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Scenes 6 to 9 at two frames a second: orders 17 to 27, 82.6 s of show.
TEST(CaptureTest, AStretchHasItsLengthAndIsTheShowsPictureEveryTime) {
    std::string first = test::TempDir() + "/capture-a", second = test::TempDir() + "/capture-b", output;
    ASSERT_EQ(test::RunPqn("--capture " + first + " --scene 6 --fps 2", &output), 0) << output;
    Capture c = Inspect(first);
    // A full run's frames fall on half seconds. Order 17 starts at 135.36 s:
    // the frame at 135.5 s is scene 5's last, so scene 6 starts at 136.0 s;
    // the show's last frame is the first at or after order 27 (218.0 s).
    EXPECT_EQ(c.frames, 166);  // (218.5 - 136.0) * 2 + 1
    EXPECT_EQ(c.audioFrames, static_cast<uint32_t>(c.frames) * 44100u / 2u);
    for (int frame : {0, 40, 100}) {  // the last frames are dark: the show fades out
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06d.png", frame);
        int w, h;
        std::vector<uint8_t> rgb;
        ASSERT_TRUE(platform::ReadPngRgb(first + name, &w, &h, &rgb)) << name;
        double band = 0;
        for (int y = 112; y < 368; ++y)
            for (int x = 0; x < 640; ++x) band += rgb[(y * 640 + x) * 3] + rgb[(y * 640 + x) * 3 + 1] + rgb[(y * 640 + x) * 3 + 2];
        EXPECT_GT(band / (640 * 256), 3.0) << name << " is black in the band";
    }

    ASSERT_EQ(test::RunPqn("--capture " + second + " --scene 6 --fps 2", &output), 0) << output;
    for (const auto& entry : fs::directory_iterator(first))
        EXPECT_TRUE(Bytes(entry.path()) == Bytes(fs::path(second) / entry.path().filename())) << entry.path().filename();

    // The show without capture draws the same picture at the same time: row
    // 32 of order 17 is at 139.2 s, first reached by frame 7 (139.5 s).
    std::string shots = test::TempDir() + "/capture-shots";
    fs::create_directories(shots);
    ASSERT_EQ(test::RunPqn("--headless --scene 6 --fps 2 --shot 17:32 --out " + shots, &output), 0) << output;
    std::vector<uint8_t> shown, captured;
    ASSERT_TRUE(test::ReadPng(shots + "/shot-017-32.png", &shown));
    ASSERT_TRUE(test::ReadPng(first + "/frame-000007.png", &captured));
    EXPECT_TRUE(test::SamePixels(shown, captured, 640)) << "frame 7 of the capture differs from the show's picture at 17:32";
}

// A clip of the show's first three frames: the first is the show's first
// picture, with the first sound (not the blank frame start-up leaves).
TEST(CaptureTest, AClipFromTheStartBeginsWithTheShowsFirstFrame) {
    std::string clip = test::TempDir() + "/clip", shots = test::TempDir() + "/clip-shots", output;
    ASSERT_EQ(test::RunPqn("--capture " + clip + " --fps 5 --frames 3", &output), 0) << output;
    EXPECT_NE(output.find("captured 3 frames"), std::string::npos) << output;
    Capture c = Inspect(clip);
    EXPECT_EQ(c.frames, 3);
    EXPECT_EQ(c.audioFrames, 3u * 8820u);
    fs::create_directories(shots);
    ASSERT_EQ(test::RunPqn("--headless --fps 5 --shot 0:0 --out " + shots, &output), 0) << output;
    std::vector<uint8_t> shown, captured;
    ASSERT_TRUE(test::ReadPng(shots + "/shot-000-00.png", &shown));
    ASSERT_TRUE(test::ReadPng(clip + "/frame-000000.png", &captured));
    EXPECT_TRUE(test::SamePixels(shown, captured, 640)) << "the clip does not start with the show's first frame";
}

TEST(CaptureTest, CtrlCStopsCleanlyWithWhatWasRendered) {
    std::string dir = test::TempDir() + "/interrupted", output;
    // Interrupted once it has written a few frames (start-up takes longer on a loaded machine).
    std::string command = "sh -c '" + std::string(PQN_BINARY) + " --capture " + dir + " --fps 10 & pid=$!; i=0;" +
                          " while [ ! -e " + dir + "/frame-000005.png ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i+1)); done;" +
                          " kill -INT $pid; wait $pid'";
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_NE(output.find("interrupted after"), std::string::npos) << output;
    Capture c = Inspect(dir);
    EXPECT_GT(c.frames, 0);
    EXPECT_LT(c.frames, 2181);
    EXPECT_EQ(c.audioFrames, static_cast<uint32_t>(c.frames) * 4410u);
}

// When a stream ends (its start plus its duration): the sound of an MP4 starts
// a little before 0, where the encoder's start-up delay lies.
double Probe(const std::string& file, const char* stream) {
    std::string command = std::string("ffprobe -v error -select_streams ") + stream +
                          " -show_entries stream=start_time,duration -of csv=p=0 " + file;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[64] = {};
    if (!pipe || !fgets(buffer, sizeof buffer, pipe)) return -1;
    pclose(pipe);
    double start = 0, duration = 0;
    if (std::sscanf(buffer, "%lf,%lf", &start, &duration) != 2) return -1;
    return start + duration;
}

// Captured on OpenGL ES 3.0, a clip is the fixed function's: its frames tile
// for tile (the bound of the show tests), its sound sample for sample; as a
// video, its frames are those pictures, colours the right way round.
TEST(CaptureTest, ACaptureOnOpenGlEs3IsTheFixedFunctionsPictureAndSound) {
    std::string fixed = test::TempDir() + "/clip-fixed", es3 = test::TempDir() + "/clip-es3", output;
    ASSERT_EQ(test::RunPqn("--capture " + fixed + " --scene 8 --fps 5 --frames 12", &output), 0) << output;
    ASSERT_EQ(test::RunPqn("--capture " + es3 + " --scene 8 --fps 5 --frames 12 --gl es3", &output), 0) << output;
    EXPECT_EQ(Inspect(es3).frames, 12);
    EXPECT_TRUE(Bytes(fixed + "/audio.wav") == Bytes(es3 + "/audio.wav"));
    std::vector<uint8_t> fixedFrame, es3Frame;
    for (int frame = 0; frame < 12; frame += 5) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06d.png", frame);
        ASSERT_TRUE(test::ReadPng(fixed + name, &fixedFrame));
        ASSERT_TRUE(test::ReadPng(es3 + name, &es3Frame));
        EXPECT_LT(test::WorstTileDifference(es3Frame, fixedFrame, 640, 0, 0, 640, 480), 24.0) << name;
    }
    if (std::system("command -v ffmpeg > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    std::string video = es3 + "/clip.mp4", decoded = es3 + "/decoded.png";
    ASSERT_EQ(test::RunPqn("--capture " + video + " --scene 8 --fps 5 --frames 12 --gl es3", &output), 0) << output;
    std::string decode = "ffmpeg -v error -y -i " + video + " -vf 'select=eq(n\\,10)' -frames:v 1 " + decoded;
    ASSERT_EQ(std::system(decode.c_str()), 0);
    ASSERT_TRUE(test::ReadPng(decoded, &es3Frame));
    ASSERT_TRUE(test::ReadPng(fixed + "/frame-000010.png", &fixedFrame));
    EXPECT_LT(test::WorstTileDifference(es3Frame, fixedFrame, 640, 0, 112, 640, 368), 24.0);
}

// The last scene at ten frames a second: a full run's frames at 187.4 s
// (the first after the one that sees order 23, at 187.28 s) to 218.1 s (the
// first to see order 27, at 218.0 s), 308 frames.
TEST(CaptureTest, AVideoHasPictureAndSoundOfTheShowsLength) {
    if (std::system("command -v ffprobe > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    std::string folder = test::TempDir() + "/last-scene", video = folder + "/last-scene.mp4", output;
    fs::create_directories(folder);
    ASSERT_EQ(test::RunPqn("--capture " + video + " --scene 9 --fps 10", &output), 0) << output;
    EXPECT_NEAR(Probe(video, "v:0"), 30.8, 0.001);
    EXPECT_NEAR(Probe(video, "a:0"), Probe(video, "v:0"), 0.001);
    // Nothing beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// The same stretch at 1080p: 1920x1080 frames, picture and sound as long as at 640x480.
TEST(CaptureTest, A1080pVideoHasFullHdFramesAndTheSameLength) {
    if (std::system("command -v ffprobe > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    std::string video = test::TempDir() + "/last-scene-1080p.mp4", output;
    ASSERT_EQ(test::RunPqn("--capture " + video + " --scene 9 --fps 10 --size 1080p", &output), 0) << output;
    FILE* pipe = popen(("ffprobe -v error -select_streams v:0 -show_entries stream=width,height,codec_name -of csv=p=0 " +
                        video).c_str(), "r");
    char buffer[64] = {};
    ASSERT_TRUE(pipe && fgets(buffer, sizeof buffer, pipe));
    pclose(pipe);
    EXPECT_EQ(std::string(buffer), "h264,1920,1080\n");
    EXPECT_NEAR(Probe(video, "v:0"), 30.8, 0.001);
    EXPECT_NEAR(Probe(video, "a:0"), Probe(video, "v:0"), 0.001);
}

// An encoder that stops taking frames (here an "ffmpeg" that takes none and exits)
// wakes the renderer waiting for room in the queue: the capture ends with a
// message and the show goes on to its end instead of waiting for ever.
TEST(CaptureTest, AnEncoderThatDiesEndsTheCaptureWithAMessage) {
    std::string bin = test::TempDir() + "/dying-ffmpeg";
    fs::create_directories(bin);
    // The picture encoder takes nothing until the renderer waits for room in
    // the full queue: pqn's main thread, which renders, sleeps on a futex at
    // two looks in a row with no frame traced between them (a frame takes a
    // few milliseconds here). Then it dies. The sound encoder takes all it is
    // given.
    std::string trace = test::TempDir() + "/dying.jsonl";
    std::ofstream(bin + "/ffmpeg") << "#!/bin/sh\n"
                                      "case \"$*\" in *rawvideo*) ;; *) exec cat > /dev/null;; esac\n"
                                      "frames() { grep -c '\"type\":\"frame\"' \"$PQN_TRACE\"; }\n"
                                      "waits() { grep -q futex /proc/$PPID/task/$PPID/wchan; }\n"
                                      "last=-1\n"
                                      "while :; do\n"
                                      "  now=$(frames)\n"
                                      "  if [ \"$now\" -ge 2 ] && [ \"$now\" = \"$last\" ] && waits; then exit 1; fi\n"
                                      "  if waits; then last=$now; else last=-1; fi\n"
                                      "  sleep 0.05\n"
                                      "done\n";
    fs::permissions(bin + "/ffmpeg", fs::perms::owner_all);
    std::string command = "PATH=" + bin + ":$PATH PQN_TRACE=" + trace + " timeout 120 " + std::string(PQN_BINARY) +
                          " --capture " + test::TempDir() + "/dying.mp4 --scene 9 --fps 10 --trace " + trace + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "the capture waited for the dead encoder, or reported success:\n" << output;
    EXPECT_NE(output.find("dying.mp4: ffmpeg stopped taking the picture"), std::string::npos) << output;
    EXPECT_NE(output.find("pqn: stopped after "), std::string::npos) << output;
}

TEST(CaptureTest, AVideoWithoutFfmpegIsRefusedAtOnceNamingThePackage) {
    std::string output;
    std::string command = "PATH=/nonexistent " + std::string(PQN_BINARY) + " --capture " + test::TempDir() + "/no.mp4 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    output.clear();
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    int status = pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(output.find("apt-get install ffmpeg"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(test::TempDir() + "/no.mp4"));
}

}  // namespace
