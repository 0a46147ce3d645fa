// pqn itself, headless: the whole show on its orders with its syncs, the
// frames at chosen music positions against reference pictures, an empty data
// folder, and the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "../platform/png_file.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

// The frames checked against reference pictures: one or two per scene.
const int kStart[] = {0, 3, 6, 9, 13, 17, 18, 21, 23};
const int kEnd[] = {3, 6, 9, 13, 17, 18, 21, 23, 27};

const char* const kShots = "2:50,4:8,6:60,8:20,11:40,14:40,17:58,19:10,21:40,22:60,25:0";

struct TraceEvent {
    std::string type;
    int scene = 0, order = -1, row = -1, x = -1;
};

int Field(const std::string& line, const std::string& key) {
    size_t at = line.find("\"" + key + "\":");
    return at == std::string::npos ? -1 : std::atoi(line.c_str() + at + key.size() + 3);
}

std::vector<TraceEvent> ReadTrace(const std::string& path) {
    std::vector<TraceEvent> events;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        TraceEvent e;
        size_t type = line.find("\"type\":\"");
        if (type == std::string::npos) continue;
        e.type = line.substr(type + 8, line.find('"', type + 8) - type - 8);
        e.scene = Field(line, "scene");
        e.order = Field(line, "order");
        e.row = Field(line, "row");
        e.x = Field(line, "x");
        events.push_back(e);
    }
    return events;
}

class ShowTest : public ::testing::Test {
protected:
    // One headless run of the whole show serves every check of this suite.
    static void SetUpTestSuite() {
        dir = test::TempDir() + "/show";
        std::string output;
        exitCode = test::RunPqn("--headless --fps 30 --trace " + dir + "/trace.jsonl --shot " + kShots + " --out " + dir, &output);
        log = output;
        events = ReadTrace(dir + "/trace.jsonl");
    }
    static std::string dir, log;
    static int exitCode;
    static std::vector<TraceEvent> events;
};
std::string ShowTest::dir, ShowTest::log;
int ShowTest::exitCode = -1;
std::vector<TraceEvent> ShowTest::events;

TEST_F(ShowTest, EverySceneRunsFromItsStartOrderToItsEndOrderAndTheShowClosesItself) {
    EXPECT_EQ(exitCode, 0) << log;
    std::map<int, std::pair<int, int>> orders;
    for (const TraceEvent& e : events) {
        if (e.type == "error") ADD_FAILURE() << "message box in the trace";
        if (e.type != "frame") continue;
        if (!orders.count(e.scene)) orders[e.scene].first = e.order;
        orders[e.scene].second = e.order;
    }
    for (int scene = 1; scene <= 9; ++scene) {
        ASSERT_TRUE(orders.count(scene)) << scene;
        EXPECT_EQ(orders[scene].first, kStart[scene - 1]) << scene;
        EXPECT_EQ(orders[scene].second, kEnd[scene - 1]) << scene;
    }
}

TEST_F(ShowTest, SyncsArriveOnTheirRowsWhileTheSceneThatReadsThemRuns) {
    const std::map<int, std::set<int>> readers = {{0, {2, 4}}, {1, {1, 3, 4, 7}}, {2, {1, 3, 4, 7}}, {3, {3, 4, 7}}, {4, {3, 4}}};
    int syncs = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        const TraceEvent& e = events[i];
        if (e.type != "sync" || e.x > 4) continue;
        ++syncs;
        size_t next = i + 1;
        while (next < events.size() && events[next].type != "frame") ++next;
        ASSERT_LT(next, events.size());
        EXPECT_EQ(events[next].order, e.order);
        EXPECT_EQ(events[next].row, e.row) << "a sync must reach the first frame of its row";
        // A sync on a scene's last frame is taken by the next scene.
        size_t reader = next;
        while (reader < events.size() && (events[reader].type != "frame" || events[reader].order == kEnd[events[reader].scene - 1]))
            ++reader;
        ASSERT_LT(reader, events.size());
        EXPECT_TRUE(readers.at(e.x).count(events[reader].scene)) << "sync " << e.x << " at " << e.order << "/" << e.row;
    }
    EXPECT_EQ(syncs, 58);
}

double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
    return sum / a.size();
}

TEST_F(ShowTest, FramesMatchTheirReferencesAndNothingIsDrawnOutsideTheBand) {
    std::istringstream list(kShots);
    for (std::string shot; std::getline(list, shot, ',');) {
        int order = std::atoi(shot.c_str()), row = std::atoi(shot.c_str() + shot.find(':') + 1);
        char name[32];
        std::snprintf(name, sizeof name, "shot-%03d-%02d.png", order, row);
        int w, h, rw, rh;
        std::vector<uint8_t> frame, reference;
        ASSERT_TRUE(platform::ReadPngRgb(dir + "/" + name, &w, &h, &frame)) << name;
        ASSERT_EQ(w, 640);
        ASSERT_EQ(h, 480);
        for (int y = 20; y < 480; ++y) {
            if (y >= 112 && y < 368) continue;
            for (int x = 0; x < 640; ++x)
                ASSERT_EQ(frame[(y * 640 + x) * 3], 0) << name << " has a lit pixel outside the band at " << x << "," << y;
        }
        double band = 0;
        for (int y = 112; y < 368; ++y)
            for (int x = 0; x < 640; ++x) band += frame[(y * 640 + x) * 3 + 1];
        EXPECT_GT(band / (640 * 256), 2.0) << name << " has an empty band";
        ASSERT_TRUE(platform::ReadPngRgb(std::string(PQN_REFERENCE_DIR) + "/" + name, &rw, &rh, &reference))
            << "missing reference " << name << "; make the set with: pqn --headless --fps 30 --shot " << kShots
            << " --out tests/reference";
        EXPECT_LT(MeanDifference(frame, reference), 3.0) << name << " looks different from its reference";
    }
}

// On this machine's GL driver the frames are the references pixel for pixel:
// drawing through the platform's mapping of window pixels onto the surface
// changes nothing at the window's own size.
TEST_F(ShowTest, AtTheWindowsOwnSizeTheFramesAreTheReferencesPixelForPixel) {
    std::istringstream list(kShots);
    for (std::string shot; std::getline(list, shot, ',');) {
        char name[32];
        std::snprintf(name, sizeof name, "shot-%03d-%02d.png", std::atoi(shot.c_str()),
                      std::atoi(shot.c_str() + shot.find(':') + 1));
        int w, h, rw, rh;
        std::vector<uint8_t> frame, reference;
        ASSERT_TRUE(platform::ReadPngRgb(dir + "/" + name, &w, &h, &frame)) << name;
        ASSERT_TRUE(platform::ReadPngRgb(std::string(PQN_REFERENCE_DIR) + "/" + name, &rw, &rh, &reference)) << name;
        EXPECT_TRUE(frame == reference) << name << ": mean difference " << MeanDifference(frame, reference);
    }
}

// Started at scene 5, the show draws row 40 of order 14 exactly as the full
// run does: the cubes' shininess is what scene 3's fade left, the fan stands
// at the angle scene 4 turned it to, and the scene's own clock and counter
// are on the full run's frames.
TEST_F(ShowTest, AShowStartedAtALaterSceneDrawsWhatTheFullRunDraws) {
    std::string started = dir + "/scene5";
    std::filesystem::create_directories(started);
    std::string output;
    ASSERT_EQ(test::RunPqn("--headless --fps 30 --scene 5 --shot 14:40 --out " + started, &output), 0) << output;
    int w, h, fw, fh;
    std::vector<uint8_t> frame, full;
    ASSERT_TRUE(platform::ReadPngRgb(started + "/shot-014-40.png", &w, &h, &frame));
    ASSERT_TRUE(platform::ReadPngRgb(dir + "/shot-014-40.png", &fw, &fh, &full));
    EXPECT_TRUE(frame == full) << "mean difference " << MeanDifference(frame, full);
}

// A real X window on Xvfb, in real time with the silent sound output: the last
// scene runs from its start order to its end, and the program closes itself.
TEST(WindowTest, TheLastSceneRunsInARealWindowAndTheShowClosesItself) {
    if (std::system("command -v xvfb-run > /dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
    std::string trace = test::TempDir() + "/window-trace.jsonl";
    std::string command = "xvfb-run -a -s '-screen 0 640x480x24' " + std::string(PQN_BINARY) +
                          " --window --scene 9 --trace " + trace + " > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int first = -1, last = -1, frames = 0;
    for (const TraceEvent& e : ReadTrace(trace)) {
        ASSERT_NE(e.type, "error");
        if (e.type != "frame") continue;
        EXPECT_EQ(e.scene, 9);
        if (first < 0) first = e.order;
        last = e.order;
        ++frames;
    }
    EXPECT_EQ(first, 23);
    EXPECT_EQ(last, 27);
    EXPECT_GT(frames, 100);
}

TEST(CommandLineTest, AnEmptyDataFolderShowsEachLoadersMessageAndEndsCleanly) {
    std::string empty = test::TempDir() + "/empty";
    fs::create_directories(empty);
    std::string output;
    EXPECT_EQ(test::RunPqn("--headless --data " + empty, &output), 0);
    std::vector<std::string> boxes;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Kestrel Error: ", 0) == 0) boxes.push_back(line.substr(15));
    std::vector<std::string> expected(32, "Can't open image file!");
    expected.insert(expected.end(), 19, "Can't open raw image file!");
    expected.push_back("Could not open object list file!");
    EXPECT_EQ(boxes, expected);
}

TEST(CommandLineTest, UnknownOptionsAreRefusedWithTheUsage) {
    std::string output;
    EXPECT_EQ(test::RunPqn("--frobnicate", &output), 2);
    EXPECT_NE(output.find("usage: pqn"), std::string::npos);
    EXPECT_EQ(test::RunPqn("--fps 0 --headless", &output), 2);
    EXPECT_EQ(test::RunPqn("--shot 1 --headless", &output), 2);
    EXPECT_EQ(test::RunPqn("--help", &output), 0);
    EXPECT_EQ(test::RunPqn("--version", &output), 0);
    EXPECT_EQ(output.rfind("pqn ", 0), 0u);
}

}  // namespace
