// Full screen on a real X server (Xvfb at 1280x720), with and without a
// window manager: the screen, grabbed as a viewer sees it, shows the whole
// 640x480 picture fitted to it (960x720, centred) and nothing else.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/png_file.h"
#include "support.h"

namespace {

bool Have(const char* command) { return std::system((std::string("command -v ") + command + " > /dev/null 2>&1").c_str()) == 0; }

// Starts the show full screen at scene 9 on a fresh X server (display
// `server`), once the window manager (if any) has started; waits until the
// music reaches order 24 (or the program has ended), grabs the screen into
// `png` and ends the show; what it printed goes to `printed`, with its other
// options `options`. A failure says what the program printed and how it
// ended.
::testing::AssertionResult GrabFullScreen(bool windowManager, int server, const std::string& png,
                                          const std::string& options = "", std::string* printed = nullptr) {
    std::string base = test::TempDir() + "/screen-" + std::to_string(server);
    std::string trace = base + ".jsonl", script = base + ".sh", output = base + ".out", ending = base + ".ending";
    for (const std::string& file : {trace, png, output, ending, base + ".wm"}) std::filesystem::remove(file);
    std::ofstream(script)
        << (windowManager ? "openbox --startup 'touch " + base + ".wm' > /dev/null 2>&1 &\n"
                            "for i in $(seq 600); do [ -e " + base + ".wm ] && break; sleep 0.1; done\n"
                          : "")
        << PQN_BINARY << " --list-displays > " << base << ".displays 2>&1\n"
        << PQN_BINARY << " --scene 9 " << options << " --trace " << trace << " > " << output << " 2>&1 &\n"
        << "pqn=$!\n"
        << "for i in $(seq 1200); do grep -q '\"order\":24' " << trace
        << " 2> /dev/null && break; kill -0 $pqn 2> /dev/null || break; sleep 0.1; done\n"
        << "if kill -0 $pqn 2> /dev/null; then running=yes; else running=no; fi\n"
        << "ffmpeg -loglevel error -y -f x11grab -video_size 1280x720 -i $DISPLAY -frames:v 1 " << png << "\n"
        << "kill $pqn 2> /dev/null; wait $pqn; echo \"exit status $?, running at the grab: $running\" > " << ending << "\n";
    std::string command = "xvfb-run -n " + std::to_string(server) + " -s '-screen 0 1280x720x24' sh " + script;
    int status = std::system(command.c_str());
    bool reached = test::FileText(trace).find("\"order\":24") != std::string::npos;
    if (printed) *printed = test::FileText(base + ".displays") + test::FileText(output);
    if (status == 0 && reached && std::filesystem::exists(png)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the show " << (reached ? "reached" : "did not reach") << " order 24; pqn's "
                                         << test::FileText(ending) << "pqn printed:\n" << test::FileText(output);
}

void ExpectTheFittedPicture(const std::string& png) {
    int w, h;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(platform::ReadPngRgb(png, &w, &h, &rgb));
    ASSERT_EQ(w, 1280);
    ASSERT_EQ(h, 720);
    auto lit = [&](int x, int y) { return rgb[(y * w + x) * 3] + rgb[(y * w + x) * 3 + 1] + rgb[(y * w + x) * 3 + 2] > 24; };
    // Nothing beside the picture (columns 160 to 1119)...
    for (int y = 0; y < h; ++y)
        for (int x : {0, 80, 157, 1122, 1200, 1279}) ASSERT_FALSE(lit(x, y)) << png << ": lit beside the picture at " << x << "," << y;
    // ...the band on rows 168 to 551, give or take the filter's pixel...
    int first = -1, last = -1;
    for (int y = 60; y < h; ++y)
        for (int x = 160; x < 1120; ++x)
            if (lit(x, y)) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    EXPECT_NEAR(first, 168, 2) << png;
    EXPECT_NEAR(last, 551, 2) << png;
    // ...and the readout in the picture's top-left corner.
    EXPECT_TRUE(lit(162, 2)) << png;
    EXPECT_FALSE(lit(158, 2)) << png;
}

TEST(FullScreenTest, ThePictureFillsTheScreenWithoutAWindowManager) {
    if (!Have("xvfb-run") || !Have("ffmpeg")) GTEST_SKIP() << "xvfb-run or ffmpeg is not installed";
    std::string png = test::TempDir() + "/screen-bare.png";
    ASSERT_TRUE(GrabFullScreen(false, 171, png));
    ExpectTheFittedPicture(png);
}

TEST(FullScreenTest, ThePictureFillsTheScreenUnderAWindowManager) {
    if (!Have("xvfb-run") || !Have("ffmpeg") || !Have("openbox")) GTEST_SKIP() << "xvfb-run, ffmpeg or openbox is not installed";
    std::string png = test::TempDir() + "/screen-openbox.png";
    ASSERT_TRUE(GrabFullScreen(true, 172, png));
    ExpectTheFittedPicture(png);
}

// The screens SDL reports on this X server (one: Xvfb's outputs overlap),
// and a screen that is not there: said, and the show full screen on the first.
TEST(FullScreenTest, TheScreensAreListedAndOneThatIsNotThereIsSaidWhileTheShowOpensOnTheFirst) {
    if (!Have("xvfb-run") || !Have("ffmpeg")) GTEST_SKIP() << "xvfb-run or ffmpeg is not installed";
    std::string png = test::TempDir() + "/screen-display3.png", printed;
    ASSERT_TRUE(GrabFullScreen(false, 173, png, "--display 3", &printed));
    EXPECT_NE(printed.find("1: 1280x720 at 0,0"), std::string::npos) << printed;
    EXPECT_NE(printed.find("pqn: there is no display 3: this machine has 1 (see --list-displays); the show opens on the first"),
              std::string::npos) << printed;
    ExpectTheFittedPicture(png);
}

}  // namespace
