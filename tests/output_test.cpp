// Outputs that cannot be written, one fault each: pqn names the file and the
// reason, says what it left, and exits 1; a capture it could not keep whole
// never reports itself captured. And HD captures in HD colours.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "formats/trace_file.h"
#include "platform/png_file.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

// A small file system of its own (a tmpfs), so that a disk can be full or
// read-only here; needs root, as CI has.
class SmallDisk {
public:
    SmallDisk(const std::string& name, const char* options) : path_(test::TempDir() + "/" + name) {
        fs::create_directories(path_);
        mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", 0, options) == 0;
    }
    ~SmallDisk() {
        if (mounted_) umount(path_.c_str());
    }
    bool Mounted() const { return mounted_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool mounted_ = false;
};

struct OutputFault {
    const char* name;
    std::function<std::string()> arguments;  // sets the fault up, gives pqn's arguments
    const char* message;                      // what pqn must say
};

void PrintTo(const OutputFault& fault, std::ostream* out) { *out << fault.name; }

std::string AFile() {
    std::string file = test::TempDir() + "/a-file";
    std::ofstream(file) << "not a folder";
    return file;
}

const OutputFault kFaults[] = {
    {"VideoIntoAMissingFolder", [] { return "--capture /no/such/folder/x.mp4"; },
     "pqn: cannot write /no/such/folder: no such folder"},
    {"VideoIntoAFile", [] { return "--capture " + AFile() + "/x.mp4"; }, "a-file: it is not a folder"},
    {"FramesIntoAFile", [] { return "--capture " + AFile() + "/frames --fps 5"; }, "a-file/frames: Not a directory"},
    {"ShotsIntoAFile", [] { return "--headless --shot 26:0 --out " + AFile(); }, "a-file: it is not a folder"},
    {"TraceIntoAMissingFolder", [] { return "--headless --scene 9 --trace /no/such/folder/t.jsonl"; },
     "pqn: cannot write /no/such/folder/t.jsonl: No such file or directory"},
    {"TraceOntoAFullDevice", [] { return "--headless --scene 9 --fps 5 --trace /dev/full"; },
     "pqn: cannot write /dev/full: No space left on device"},
};

class OutputFaultTest : public ::testing::TestWithParam<OutputFault> {};

TEST_P(OutputFaultTest, TheFileAndTheReasonAreSaidAndTheExitStatusIs1) {
    std::string output;
    EXPECT_EQ(test::RunPqn(GetParam().arguments(), &output), 1) << output;
    EXPECT_NE(output.find(GetParam().message), std::string::npos) << output;
    EXPECT_EQ(output.find("captured"), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Outputs, OutputFaultTest, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<OutputFault>& info) { return std::string(info.param.name); });

// Refused before anything is drawn: a read-only disk, and one far too small.
TEST(OutputTest, ACaptureThatCannotBeKeptIsRefusedBeforeItStarts) {
    SmallDisk readOnly("read-only-disk", "size=1m,mode=0755");
    if (!readOnly.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (not root)";
    ASSERT_EQ(mount(nullptr, readOnly.Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    std::string output;
    EXPECT_EQ(test::RunPqn("--capture " + readOnly.Path() + "/x.mp4", &output), 1) << output;
    EXPECT_NE(output.find(readOnly.Path() + ": Read-only file system"), std::string::npos) << output;

    SmallDisk tiny("tiny-disk", "size=1m");
    EXPECT_EQ(test::RunPqn("--capture " + tiny.Path() + "/frames --scene 9 --fps 5", &output), 1) << output;
    EXPECT_NE(output.find("only 1 MB are free"), std::string::npos) << output;
    EXPECT_EQ(output.find("frames,"), std::string::npos) << "frames were rendered: " << output;
}

// A disk that fills up during a capture of PNG frames: the frame that did not
// fit is named with the system's reason, the capture stops there, the frames
// before it are kept whole, and the summary says so.
TEST(OutputTest, ADiskThatFillsUpStopsTheCaptureAndSaysWhatIsThere) {
    SmallDisk disk("full-disk", "size=64m");
    if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (not root)";
    std::string frames = disk.Path() + "/frames";
    // Another program fills the disk once a dozen frames are written.
    std::thread filler([&] {
        for (int waitedMs = 0; waitedMs < 60000 && !fs::exists(frames + "/frame-000012.png"); waitedMs += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ofstream hog(disk.Path() + "/hog", std::ios::binary);
        std::vector<char> block(1 << 20, 'x');
        for (int i = 0; i < 64 && hog.write(block.data(), static_cast<std::streamsize>(block.size())); ++i) {
        }
    });
    std::string output;
    EXPECT_EQ(test::RunPqn("--capture " + frames + " --scene 9 --fps 5", &output), 1) << output;
    filler.join();
    EXPECT_NE(output.find(": No space left on device"), std::string::npos) << output;
    EXPECT_NE(output.find("pqn: stopped after "), std::string::npos) << output;
    EXPECT_EQ(output.find("captured"), std::string::npos) << output;
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(frames)) {
        if (entry.path().extension() != ".png") continue;
        int w, h;
        std::vector<uint8_t> rgb;
        EXPECT_TRUE(platform::ReadPngRgb(entry.path().string(), &w, &h, &rgb)) << entry.path() << " is not whole";
        ++kept;
    }
    EXPECT_GT(kept, 10);
}

// A captured frame read back through ffmpeg, which converts by the video's
// colour tags, has the show's colours within a few levels: BT.601 at 640x480,
// BT.709 at 720p. Compression moves single pixels (the noise bars most), not
// the colour of the whole picture, which a wrong matrix or tag shifts.
double WorstChannelMeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double worst = 0;
    for (int c = 0; c < 3; ++c) {
        double sum = 0;
        for (size_t i = static_cast<size_t>(c); i < a.size() && i < b.size(); i += 3) sum += int{a[i]} - int{b[i]};
        worst = std::max(worst, std::abs(sum) / static_cast<double>(a.size() / 3));
    }
    return worst;
}

TEST(OutputTest, VideosHaveTheShowsColoursInTheirOwnStandard) {
    if (std::system("command -v ffmpeg > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    for (const char* size : {"640x480", "720p"}) {
        std::string dir = test::TempDir() + "/colours-" + size;
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::string output;
        // The same stretch as a video and as PNG frames: frame 60 of each.
        std::string common = " --scene 9 --fps 5 --size " + std::string(size);
        ASSERT_EQ(test::RunPqn("--capture " + dir + "/x.mp4" + common, &output), 0) << output;
        ASSERT_EQ(test::RunPqn("--capture " + dir + "/frames" + common, &output), 0) << output;
        // Raw RGB: a PNG from ffmpeg carries gamma chunks that libpng would apply.
        std::string decode = "ffmpeg -v error -i " + dir + "/x.mp4 -vf 'select=eq(n\\,60)' -frames:v 1 -f rawvideo " +
                             "-pix_fmt rgb24 -y " + dir + "/decoded.rgb";
        ASSERT_EQ(std::system(decode.c_str()), 0);
        int w, h;
        std::vector<uint8_t> shot;
        ASSERT_TRUE(platform::ReadPngRgb(dir + "/frames/frame-000060.png", &w, &h, &shot));
        std::ifstream raw(dir + "/decoded.rgb", std::ios::binary);
        std::vector<uint8_t> decoded((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
        ASSERT_EQ(decoded.size(), shot.size());
        EXPECT_LT(WorstChannelMeanDifference(shot, decoded), 1.5) << size;
        EXPECT_LT(test::WorstTileDifference(shot, decoded, w, 0, h / 4, w, 3 * h / 4), 16) << size;
    }
}

// Milliseconds of show of the last frame a trace records.
double LastFrameMs(const std::string& trace) {
    double ms = -1;
    for (const platform::TraceEntry& entry : platform::ReadTraceFile(trace))
        if (entry.type == "frame") ms = entry.ms;
    return ms;
}

// Seconds of a stream of a file that ffprobe can read: its last packet's end.
double ReadableSeconds(const std::string& file, const char* stream) {
    std::string command = "ffprobe -v error -select_streams " + std::string(stream) +
                          " -show_entries packet=pts_time,duration_time -of csv=p=0 " + file + " 2>/dev/null | tail -n 1";
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[128] = {};
    if (!pipe || !fgets(buffer, sizeof buffer, pipe)) return -1;
    pclose(pipe);
    double pts = 0, duration = 0;
    return std::sscanf(buffer, "%lf,%lf", &pts, &duration) == 2 ? pts + duration : -1;
}

// A capture killed hard with its encoder (as a power loss or a crash would)
// leaves one file at the output's name, nothing else, that plays with picture
// and sound up to shortly before the kill.
TEST(OutputTest, ACaptureKilledWithItsEncoderLeavesOnePlayableFile) {
    if (std::system("command -v ffprobe > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    for (const char* name : {"killed.mp4", "killed.mkv"}) {
        std::string folder = test::TempDir() + "/killed-" + std::string(name).substr(7);
        std::string video = folder + "/" + name, trace = test::TempDir() + "/" + name + ".jsonl";
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::string output = folder + ".out";
        std::string run = std::string(PQN_BINARY) + " --capture " + video + " --trace " + trace + " > " + output + " 2>&1 &";
        ASSERT_EQ(std::system(run.c_str()), 0);
        // Killed once six seconds of the show are rendered (or after two minutes).
        auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (LastFrameMs(trace) < 6000 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        // pqn and its ffmpeg both name the output on their command lines; the
        // bracket keeps the pattern from matching the shell that runs pkill.
        std::string pattern = "'[" + video.substr(0, 1) + "]" + video.substr(1) + "'";
        ASSERT_EQ(std::system(("pkill -KILL -f -- " + pattern).c_str()), 0)
            << name << ": pqn had already ended; it printed:\n" << test::FileText(output);
        while (std::system(("pgrep -f -- " + pattern + " > /dev/null").c_str()) == 0 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        double renderedS = LastFrameMs(trace) / 1000;
        double pictureS = ReadableSeconds(video, "v:0"), soundS = ReadableSeconds(video, "a:0");
        std::printf("%s: killed %.2f s into the show; %.2f s of picture and %.2f s of sound can be read\n", name,
                    renderedS, pictureS, soundS);
        EXPECT_GT(renderedS, 2) << name;
        EXPECT_GT(pictureS, renderedS - 2) << name;
        EXPECT_LE(pictureS, renderedS + 0.1) << name;
        EXPECT_NEAR(soundS, pictureS, 0.5) << name;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << name << ": stray files";
    }
}

}  // namespace
