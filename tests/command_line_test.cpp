// The command line read into the options of a run: values and their ranges,
// options that imply others, combinations that cannot run, --help/--version.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "../main/command_line.h"

namespace {

CommandLine Parse(std::initializer_list<const char*> args) {
    std::vector<const char*> argv{"pqn"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLineTest, NoOptionIsTheFullScreenShowFromSceneOne) {
    CommandLine line = Parse({});
    EXPECT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_FALSE(line.options.headless);
    EXPECT_FALSE(line.options.forceWindowed);
    EXPECT_EQ(line.options.firstScene, 1);
    EXPECT_EQ(line.options.framesPerSecond, 60);
    EXPECT_EQ(line.options.shotDir, ".");
    EXPECT_TRUE(line.dataDir.empty());
}

TEST(CommandLineTest, ValuesAreReadIntoTheOptions) {
    CommandLine line = Parse({"--headless", "--fps", "30", "--scene", "9", "--shot", "2:50,14:40", "--out", "shots",
                              "--trace", "t.jsonl", "--data", "/d", "--msaa", "4", "--audio-offset", "-120",
                              "--size", "1920x1080", "--fit", "width", "--gl", "es3"});
    ASSERT_EQ(line.action, CommandLine::Action::Run) << line.problem;
    const platform::RunOptions& o = line.options;
    EXPECT_EQ(o.framesPerSecond, 30);
    EXPECT_EQ(o.firstScene, 9);
    ASSERT_EQ(o.shots.size(), 2u);
    EXPECT_EQ(o.shots[1].order, 14u);
    EXPECT_EQ(o.shots[1].row, 40u);
    EXPECT_EQ(o.shotDir, "shots");
    EXPECT_EQ(o.traceFile, "t.jsonl");
    EXPECT_EQ(line.dataDir, "/d");
    EXPECT_EQ(o.msaaSamples, 4);
    EXPECT_EQ(o.audioOffsetMs, -120);
    EXPECT_EQ(o.frameWidthPx, 1920);
    EXPECT_EQ(o.frameHeightPx, 1080);
    EXPECT_TRUE(o.fitWidth);
    EXPECT_EQ(o.gl, platform::GlWay::kEs3);
    EXPECT_EQ(Parse({"--gl", "es3", "--gl", "fixed"}).options.gl, platform::GlWay::kFixedFunction);
}

TEST(CommandLineTest, CaptureAndBenchAreHeadlessAndScalesAndSizesHaveNames) {
    EXPECT_TRUE(Parse({"--capture", "x.mp4"}).options.headless);
    EXPECT_TRUE(Parse({"--bench"}).options.headless);
    CommandLine scaled = Parse({"--scale", "1.5"});
    EXPECT_DOUBLE_EQ(scaled.options.scale, 1.5);
    EXPECT_TRUE(scaled.options.scaleGiven);
    EXPECT_TRUE(Parse({"--scale", "auto"}).options.scaleAuto);
    CommandLine uhd = Parse({"--headless", "--size", "2160p", "--fit", "picture"});
    ASSERT_EQ(uhd.action, CommandLine::Action::Run) << uhd.problem;
    EXPECT_EQ(uhd.options.frameWidthPx, 3840);
    EXPECT_FALSE(uhd.options.fitWidth);
}

TEST(CommandLineTest, ShotsAreTakenInTheShowsOrderWhateverTheirOrderOnTheLine) {
    CommandLine line = Parse({"--headless", "--shot", "14:40,6:52,14:40,6:8"});
    ASSERT_EQ(line.action, CommandLine::Action::Run) << line.problem;
    ASSERT_EQ(line.options.shots.size(), 3u);
    EXPECT_EQ(line.options.shots[0].order, 6u);
    EXPECT_EQ(line.options.shots[0].row, 8u);
    EXPECT_EQ(line.options.shots[1].row, 52u);
    EXPECT_EQ(line.options.shots[2].order, 14u);
}

TEST(CommandLineTest, HelpAndVersionEndTheReading) {
    EXPECT_EQ(Parse({"--help", "--no-such-option"}).action, CommandLine::Action::Help);
    EXPECT_EQ(Parse({"--version"}).action, CommandLine::Action::Version);
}

// Each refused line, with the words the user is told.
TEST(CommandLineTest, ThePlayersOptionsAreReadAndPausedAsksForThePlayer) {
    CommandLine line = Parse({"--paused", "--at", "12:32", "--to", "14:0", "--loop-range", "12:40-13:8"});
    ASSERT_EQ(line.action, CommandLine::Action::Run) << line.problem;
    const platform::RunOptions& o = line.options;
    EXPECT_TRUE(o.player && o.startPaused && o.hasStart && o.hasEnd && o.hasLoopRange);
    EXPECT_TRUE(o.start == (platform::MusicPosition{12, 32}) && o.end == (platform::MusicPosition{14, 0}));
    EXPECT_TRUE(o.loopFrom == (platform::MusicPosition{12, 40}) && o.loopTo == (platform::MusicPosition{13, 8}));
    EXPECT_FALSE(Parse({}).options.player);
}

TEST(CommandLineTest, TheViewersChoicesAreReadAndTheListsEndTheReading) {
    CommandLine line = Parse({"--calm", "--volume", "40", "--audio-device", "USB Headset", "--display", "2"});
    ASSERT_EQ(line.action, CommandLine::Action::Run) << line.problem;
    EXPECT_TRUE(line.options.calm);
    EXPECT_EQ(line.options.volumePercent, 40);
    EXPECT_EQ(line.options.audioDevice, "USB Headset");
    EXPECT_TRUE(line.options.displayGiven);
    EXPECT_EQ(line.options.display, 1);  // SDL counts screens from 0
    EXPECT_EQ(Parse({}).options.volumePercent, 100);
    CommandLine check = Parse({"--flash-check", "--json", "--calm"});
    EXPECT_TRUE(check.options.flashCheck && check.options.headless && check.options.benchJson);
    EXPECT_EQ(Parse({"--list-audio-devices", "--bogus"}).action, CommandLine::Action::ListAudioDevices);
    EXPECT_EQ(Parse({"--list-displays"}).action, CommandLine::Action::ListDisplays);
}

TEST(CommandLineTest, PositionsAreCheckedAgainstTheModulesOrdersAndRows) {
    const std::vector<uint32_t> rows = {64, 64, 32, 64};  // four orders, the third a short one
    auto check = [&rows](std::initializer_list<const char*> args) { return CheckPositions(Parse(args).options, rows, 3); };
    EXPECT_EQ(check({"--at", "2:31", "--to", "3:0"}), "") << "the show's end order, row 0, is where --to may stop";
    EXPECT_EQ(check({"--at", "2:32"}), "--at 2:32: order 2 has rows 0 to 31");
    EXPECT_EQ(check({"--at", "3:0"}), "--at 3:0: the show plays orders 0 to 2");
    EXPECT_EQ(check({"--to", "3:1"}), "--to 3:1: the show plays orders 0 to 2");
    EXPECT_EQ(check({"--loop-range", "1:0-2:40"}), "--loop-range 2:40: order 2 has rows 0 to 31");
    EXPECT_EQ(CheckPositions(Parse({"--at", "0:0"}).options, {}, 3), "--at 0:0: the module has no orders the show plays");
}

TEST(CommandLineTest, BadValuesAndCombinationsAreRefusedWithTheirReason) {
    const struct {
        std::initializer_list<const char*> args;
        const char* problem;
    } kRefused[] = {
        {{"--scene", "0"}, "--scene takes 1 to 9"},
        {{"--scene", "10"}, "--scene takes 1 to 9"},
        {{"--fps", "60fps"}, "--fps takes 1 to 1000"},
        {{"--fps", "0"}, "--fps takes 1 to 1000"},
        {{"--shot", "2:"}, "--shot takes ORDER:ROW[,ORDER:ROW...]"},
        {{"--headless", "--shot", "2:50,"}, "--shot takes ORDER:ROW[,ORDER:ROW...]"},
        {{"--scale", "5"}, "--scale takes 1 to 4 or auto"},
        {{"--msaa", "3"}, "--msaa takes 0, 2, 4 or 8"},
        {{"--headless", "--size", "641x480"}, "--size takes WxH (even, 64x64 to 7680x4320), 720p, 1080p, 1440p or 2160p"},
        {{"--audio-offset", "2001"}, "--audio-offset takes milliseconds, -2000 to 2000"},
        {{"--fit", "height"}, "--fit takes width or picture"},
        {{"--gl", "gles3"}, "--gl takes fixed or es3"},
        {{"--shot", "2:50"}, "--shot needs --headless"},
        {{"--headless", "--frames", "0"}, "--frames takes a number of frames, 1 or more"},
        {{"--frames", "10"}, "--frames needs --headless"},
        {{"--size", "720p"}, "--size is for --capture, --shot and --bench (headless)"},
        {{"--headless", "--size", "720p", "--scale", "2"}, "--size sets the scale itself; give --size or --scale"},
        {{"--fit", "picture"}, "--fit needs --size"},
        {{"--scene"}, "unknown option or missing value: --scene"},
        {{"--fullscreen"}, "unknown option or missing value: --fullscreen"},
        {{"--at", "12"}, "--at takes ORDER:ROW"},
        {{"--to", "-1:0"}, "--to takes ORDER:ROW"},
        {{"--at", "5:0", "--scene", "3"}, "--at and --scene both say where to start; give one"},
        {{"--at", "5:0", "--to", "5:0"}, "--to must come after --at"},
        {{"--loop-range", "6:0-5:0"}, "--loop-range takes ORDER:ROW-ORDER:ROW, the first before the second"},
        {{"--loop", "--loop-range", "5:0-6:0"}, "give --loop or --loop-range, not both"},
        {{"--headless", "--loop"}, "--loop and --loop-range play on without end; they are for watching, not headless runs"},
        {{"--headless", "--paused"}, "--player and --paused are for watching, not headless runs"},
        {{"--volume", "101"}, "--volume takes 0 to 100"},
        {{"--volume", "-1"}, "--volume takes 0 to 100"},
        {{"--display", "0"}, "--display takes a screen's number, 1 or more (see --list-displays)"},
        {{"--audio-device", ""}, "--audio-device takes a device's name (see --list-audio-devices)"},
        {{"--flash-check", "--bench"}, "--flash-check is a run of its own; give it without --bench and --capture"},
    };
    for (const auto& refused : kRefused) {
        CommandLine line = Parse(refused.args);
        EXPECT_EQ(line.action, CommandLine::Action::Refuse) << refused.problem;
        EXPECT_EQ(line.problem, refused.problem);
    }
}

}  // namespace
