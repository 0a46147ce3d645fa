// The default data set as the show puts it on screen: pictures that scroll
// repeat without a seam, what is round stays round when a picture is
// stretched across the band, nothing lies where the band cuts a picture off
// or where a later layer covers it, and the music gives every scene's closing
// zoom and fade the time they need.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <libopenmpt/libopenmpt.hpp>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "../main/demo.h"
#include "../scenes/Scenes.h"
#include "../tools/data/pictures.h"

namespace fs = std::filesystem;

namespace {

const std::map<std::string, gen::Picture>& Pictures() {
    static const std::map<std::string, gen::Picture> pictures = [] {
        std::map<std::string, gen::Picture> byName;
        for (gen::Picture& p : gen::MakePictures()) byName[p.name] = std::move(p);
        return byName;
    }();
    return pictures;
}

const gen::Picture& Picture(const std::string& name) { return Pictures().at(name); }

int Byte(const gen::Picture& p, int x, int y, int channel) {
    return p.bytes[(static_cast<size_t>(y) * p.width + x) * p.channels + channel];
}

// Alpha of a four-channel picture; the grey level of a grey one, whose alpha it becomes.
int Alpha(const gen::Picture& p, int x, int y) { return Byte(p, x, y, p.channels == 4 ? 3 : 0); }

// Mean absolute difference of two columns over every channel.
double ColumnDifference(const gen::Picture& p, int a, int b) {
    double sum = 0;
    for (int y = 0; y < p.height; ++y)
        for (int c = 0; c < p.channels; ++c) sum += std::abs(Byte(p, a, y, c) - Byte(p, b, y, c));
    return sum / (p.height * p.channels);
}

TEST(LookTest, PicturesScrolledByTheirTextureOffsetRepeatWithoutASeam) {
    for (const char* name : {"pilvi1", "pilvi2", "bitit1", "kayra", "bitit"}) {
        const gen::Picture& p = Picture(name);
        double neighbours = 0;
        for (int x = 0; x + 1 < p.width; ++x) neighbours += ColumnDifference(p, x, x + 1);
        neighbours /= p.width - 1;
        double wrap = ColumnDifference(p, p.width - 1, 0);
        EXPECT_LE(wrap, 3 * neighbours + 1) << name << ": its last and first columns differ by " << wrap
                                            << ", neighbouring columns by " << neighbours << " on average";
    }
}

TEST(LookTest, ASunDrawnIntoABackgroundIsRoundOnScreen) {
    // The desert's sun, nearly white in a sky whose blue is dim everywhere
    // else, in a 512-wide picture drawn 640 wide across the band. Dunes may
    // cover its lower part: its radius is taken across its widest row and up
    // from that row to its top.
    const gen::Picture& p = Picture("tausta6");
    const int level = 150;
    int top = -1, firstWidest = -1, lastWidest = -1, widest = 0;
    for (int y = 0; y < p.height; ++y) {
        int width = 0;
        for (int x = 0; x < p.width; ++x) width += std::min({Byte(p, x, y, 0), Byte(p, x, y, 1), Byte(p, x, y, 2)}) >= level;
        if (width > 0 && top < 0) top = y;
        if (width > widest) widest = width, firstWidest = y;
        if (width == widest) lastWidest = y;
    }
    ASSERT_GT(widest, 10) << "no sun in tausta6";
    double across = widest * 640.0 / p.width / 2, up = (firstWidest + lastWidest) / 2.0 - top + 0.5;
    EXPECT_NEAR(across / up, 1.0, 0.02) << "the sun's radius is " << across << " px across on screen and " << up << " px up";
}

// A picture's quad at rest in the band, by its x.
struct Placed {
    const char* name;
    int x;
};

TEST(LookTest, NothingLiesWhereTheBandCutsAPictureOffOrALaterLayerCoversIt) {
    // The credits' square and its plate come to rest 48 pixels left of the band.
    for (const char* name : {"nelio", "music"}) {
        const gen::Picture& p = Picture(name);
        int most = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < 48; ++x) most = std::max(most, p.channels == 4 ? Alpha(p, x, y) : Byte(p, x, y, 0));
        EXPECT_LE(most, 16) << name << " has content in the 48 columns left of the band";
    }
    // The three credit plates, side by side where their shapes rest, overlap nowhere.
    const Placed plates[] = {{"music", -48}, {"gfx", 192}, {"code", 384}};
    for (int column = 0; column < 640; ++column) {
        int covering = 0;
        for (const Placed& plate : plates) {
            const gen::Picture& p = Picture(plate.name);
            int x = column - plate.x;
            if (x < 0 || x >= p.width) continue;
            bool covers = false;
            for (int y = 0; y < p.height && !covers; ++y) covers = Alpha(p, x, y) > 12;
            covering += covers;
        }
        ASSERT_LE(covering, 1) << "two credit plates cover band column " << column;
    }
    // "nomatch" stands at band row 128; the curve strips rise to row 185 over it.
    const gen::Picture& sign = Picture("nomatch");
    int most = 0;
    for (int y = 185 - 128; y < sign.height; ++y)
        for (int x = 0; x < sign.width; ++x) most = std::max(most, Alpha(sign, x, y));
    EXPECT_LE(most, 8) << "nomatch has content where the curve strips cover it";
    // Glows end inside their pictures rather than at a flat edge.
    const gen::Picture& banner = Picture("dstroy");
    const gen::Picture& head = Picture("robopaa01");
    int edge = 0, headTop = 0;
    for (int x = 0; x < banner.width; ++x)
        for (int c = 0; c < 3; ++c) edge = std::max({edge, Byte(banner, x, 0, c), Byte(banner, x, banner.height - 1, c)});
    for (int x = 0; x < head.width; ++x) headTop = std::max(headTop, Alpha(head, x, 0));
    EXPECT_LE(edge, 8) << "the banner's glow reaches its top or bottom edge";
    EXPECT_LE(headTop, 8) << "the robot's head reaches the top edge of its picture";
}

// ---- the closing animations against the module's own timing ----------------

// The start of every row of the module, in milliseconds, as libopenmpt times it.
class RowTimes {
public:
    explicit RowTimes(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ostringstream log;
        module_ = std::make_unique<openmpt::module>(bytes, log);
    }
    double StartMs(uint32_t order, uint32_t row) const {
        return 1000 * module_->set_position_order_row(static_cast<int32_t>(order), static_cast<int32_t>(row));
    }
    // The position heard at `ms`.
    MusicPosition At(double ms) const {
        double seconds = ms / 1000;
        module_->set_position_seconds(seconds);
        return {static_cast<uint32_t>(module_->get_current_order()), static_cast<uint32_t>(module_->get_current_row())};
    }

private:
    std::unique_ptr<openmpt::module> module_;
};

// Runs a scene's ticks from its first order to its end order, reading the
// position one 30 fps frame late and ending a frame early, as the slowest
// capture sees the music; returns the state of its last frame.
template <typename State>
State RunScene(const RowTimes& times, uint32_t firstOrder, uint32_t endOrder, void (*tick)(State&, MusicPosition)) {
    for (auto& flag : g_syncFlags) flag.store(0);
    const double frameMs = 1000.0 / 30;
    double startMs = times.StartMs(firstOrder, 0), endMs = times.StartMs(endOrder, 0) - frameMs;
    State s;
    MusicPosition position = times.At(startMs);
    double nextReadMs = startMs + frameMs;
    for (double ms = startMs; ms < endMs; ms += 1) {
        if (ms >= nextReadMs) {
            position = times.At(ms - frameMs);
            nextReadMs += frameMs;
        }
        tick(s, position);
    }
    return s;
}

TEST(LookTest, EveryClosingZoomAndFadeEndsBeforeItsScenesEndOrder) {
    RowTimes times(fs::path(PQN_DATA_DIR) / "biisi.xm");
    auto reached = [](const char* scene, const char* value, float got, float wanted, bool atMost) {
        EXPECT_TRUE(atMost ? got <= wanted : got >= wanted)
            << scene << ": " << value << " is " << got << " in its last frame, not yet " << wanted;
    };
    OpeningTitles s1 = RunScene<OpeningTitles>(times, 0, 3, OpeningTitlesTick);
    reached("scene 1", "finalScale", s1.finalScale, 1, true);
    reached("scene 1", "finalFade", s1.finalFade, 1, false);
    reached("scene 1", "layerFade", s1.layerFade, 0, true);
    SwayingRobot s2 = RunScene<SwayingRobot>(times, 3, 6, SwayingRobotTick);
    reached("scene 2", "nextScale", s2.nextScale, 1, true);
    reached("scene 2", "nextFade", s2.nextFade, 1, false);
    reached("scene 2", "backdropFade", s2.backdropFade, 0, true);
    TitleReveal s3 = RunScene<TitleReveal>(times, 6, 9, TitleRevealTick);
    reached("scene 3", "finalScale", s3.finalScale, 1, true);
    reached("scene 3", "finalFade", s3.finalFade, 1, false);
    Reconnecting s4 = RunScene<Reconnecting>(times, 9, 13, ReconnectingTick);
    reached("scene 4", "longScale", s4.longScale, 1, true);
    reached("scene 4", "longFade", s4.longFade, 1, false);
    CubeLetters s5 = RunScene<CubeLetters>(times, 13, 17, CubeLettersTick);
    reached("scene 5", "longFade", s5.longFade, 0, true);
    reached("scene 5", "endFade", s5.endFade, 1, false);
    ZoomCut s6 = RunScene<ZoomCut>(times, 17, 18, ZoomCutTick);
    reached("scene 6", "newScale", s6.newScale, 1, true);
    reached("scene 6", "newFade", s6.newFade, 1, false);
    reached("scene 6", "oldFade", s6.oldFade, 0, true);
    Credits s7 = RunScene<Credits>(times, 18, 21, CreditsTick);
    reached("scene 7", "newScale", s7.newScale, 1, true);
    reached("scene 7", "newFade", s7.newFade, 1, false);
    Greetings s8 = RunScene<Greetings>(times, 21, 23, GreetingsTick);
    reached("scene 8", "backFade", s8.backFade, 0, true);
    reached("scene 8", "barAlpha", s8.barAlpha, 0.5f, false);
    CubeWall s9 = RunScene<CubeWall>(times, 23, 27, CubeWallTick);
    reached("scene 9", "barAlpha", s9.barAlpha, 0, true);
}

TEST(LookTest, AllTwelveGreetingsShowBeforeThePanelFliesAway) {
    RowTimes times(fs::path(PQN_DATA_DIR) / "biisi.xm");
    // The twelfth name comes 15 s into the scene (one a second after five);
    // the panel recedes from row 49 of order 22.
    double twelfthMs = times.StartMs(21, 0) + 15000, recedesMs = times.StartMs(22, 49);
    EXPECT_GE(recedesMs - twelfthMs, 1000) << "the last name shows " << (recedesMs - twelfthMs)
                                           << " ms before the panel flies away";
}

}  // namespace
