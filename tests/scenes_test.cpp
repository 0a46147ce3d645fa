// The scenes' per-tick timelines without a window, and the tick timer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "base/clock.h"
#include "platform/runtime.h"
#include "../scenes/CubeGrid.h"
#include "../scenes/Scenes.h"
#include "../scenes/TickTimer.h"
#include "support.h"

namespace {

void ClearFlags() {
    for (auto& flag : g_syncFlags) flag.store(0);
}
void Raise(int flag) { g_syncFlags[flag].store(1); }

template <typename State, typename Tick>
void RunTicks(State& s, Tick tick, MusicPosition p, int ticks) {
    for (int i = 0; i < ticks; ++i) tick(s, p);
}

// ---- timer -------------------------------------------------------------------

int StepsOfFrame(TickTimer& timer) {
    timer.Update();
    int steps = 0;
    do {
        ++steps;
        timer.Advance();
    } while (timer.Pending());
    return steps;
}

TEST(TickTimerTest, AFrameRunsOneStepPerMillisecondAndAtLeastOne) {
    TickTimer timer;
    platform::base::SetTickCountForTest(1000);
    timer.Start();
    platform::base::SetTickCountForTest(4000);
    timer.Reset();
    EXPECT_EQ(StepsOfFrame(timer), 1);  // 0 ms
    platform::base::SetTickCountForTest(4005);
    EXPECT_EQ(StepsOfFrame(timer), 5);
    EXPECT_EQ(timer.stepped, 5);
    EXPECT_FALSE(timer.Pending());
    platform::base::SetTickCountForTest(4045);
    EXPECT_EQ(StepsOfFrame(timer), 40);
    platform::base::SetTickCountForTest(6045);
    EXPECT_EQ(StepsOfFrame(timer), 2000);  // a stall is caught up in full
}

TEST(TickTimerTest, TheTickCountWrapsWithoutDisturbingDifferences) {
    TickTimer timer;
    platform::base::SetTickCountForTest(0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    timer.Start();
    timer.Reset();
    platform::base::SetTickCountForTest(0x0000000Au);
    EXPECT_EQ(timer.Now(), 26);
    EXPECT_EQ(StepsOfFrame(timer), 26);
}

// ---- scene 1 -------------------------------------------------------------------

TEST(OpeningTitlesTest, FlagOneClearsTheShoutAndALoneFlagTwoStays) {
    ClearFlags();
    OpeningTitles s;
    Raise(2);
    RunTicks(s, OpeningTitlesTick, {1, 20}, 100);
    EXPECT_EQ(g_syncFlags[2].load(), 1);
    Raise(1);
    OpeningTitlesTick(s, {1, 24});
    EXPECT_EQ(g_syncFlags[1].load(), 0);
    EXPECT_EQ(g_syncFlags[2].load(), 0);
    Raise(1);  // flag 1 alone clears only itself
    OpeningTitlesTick(s, {1, 25});
    EXPECT_EQ(g_syncFlags[1].load(), 0);
}

TEST(OpeningTitlesTest, NothingRisesBeforeOrderOneAndRampsOvershootByOneStep) {
    ClearFlags();
    OpeningTitles s;
    const OpeningTitles before;
    RunTicks(s, OpeningTitlesTick, {0, 10}, 6000);
    EXPECT_EQ(s.robotY, before.robotY);
    EXPECT_EQ(s.shoutX, before.shoutX);
    EXPECT_EQ(s.signAlpha, before.signAlpha);
    EXPECT_GE(s.backgroundFade, 1.0f);
    EXPECT_LT(s.backgroundFade, 1.0f + 0.0002f + 1e-6f);
    RunTicks(s, OpeningTitlesTick, {1, 10}, 9000);
    EXPECT_LE(s.robotY, 0);
    EXPECT_GT(s.robotY, -0.03f);
    EXPECT_GT(s.signAlpha, 0);
    EXPECT_GT(s.logoAlpha1, 0.99f);
}

TEST(OpeningTitlesTest, TheLogosCrossFadeAtRow32AndTheExitStartsAtRow48OfOrder2) {
    ClearFlags();
    OpeningTitles s;
    RunTicks(s, OpeningTitlesTick, {1, 10}, 9000);
    EXPECT_GT(s.logoAlpha1, 0.99f);
    EXPECT_EQ(s.logoAlpha2, 0);
    RunTicks(s, OpeningTitlesTick, {1, 32}, 1000);
    EXPECT_NEAR(s.logoAlpha1, 0.2f, 0.01f);
    EXPECT_NEAR(s.logoAlpha2, 1.0f, 0.002f);
    RunTicks(s, OpeningTitlesTick, {2, 47}, 1000);
    EXPECT_EQ(s.finalFade, 0);
    EXPECT_EQ(s.layerFade, 1);
    EXPECT_LE(s.robotY, 0);
    RunTicks(s, OpeningTitlesTick, {2, 48}, 2000);
    EXPECT_NEAR(s.finalFade, 1.0f, 0.002f);
    EXPECT_NEAR(s.layerFade, 0.0f, 0.002f);
    EXPECT_GT(s.robotY, 100);  // the robot leaves upwards
}

// ---- scene 2 -------------------------------------------------------------------

TEST(SwayingRobotTest, SyncZeroRestartsTheRingFlash) {
    ClearFlags();
    SwayingRobot s;
    RunTicks(s, SwayingRobotTick, {3, 0}, 500);
    EXPECT_EQ(s.ringFade, 0);
    Raise(0);
    SwayingRobotTick(s, {3, 8});
    EXPECT_EQ(g_syncFlags[0].load(), 0);
    RunTicks(s, SwayingRobotTick, {3, 8}, 400);
    EXPECT_NEAR(s.ringFade, 0.599f, 0.002f);
    Raise(0);
    SwayingRobotTick(s, {3, 16});
    EXPECT_NEAR(s.ringFade, 0.999f, 1e-5f);
    EXPECT_NEAR(s.ringScale, 1.002f, 1e-5f);
}

TEST(SwayingRobotTest, TheGlowStopsFollowingAfterRow48OfOrder5) {
    ClearFlags();
    SwayingRobot s;
    RunTicks(s, SwayingRobotTick, {4, 0}, 8000);
    EXPECT_NEAR(s.robotY, 0.1f, 0.0002f);
    float ghost = s.ghostY;
    RunTicks(s, SwayingRobotTick, {5, 40}, 1000);
    EXPECT_EQ(s.ghostY, ghost);
    RunTicks(s, SwayingRobotTick, {5, 49}, 1000);
    EXPECT_GT(s.robotY, 0.6f);
    EXPECT_EQ(s.ghostY, ghost);
}

TEST(SwayingRobotTest, TheExitRampStartsAfterRow48OfOrder5) {
    ClearFlags();
    SwayingRobot s;
    RunTicks(s, SwayingRobotTick, {5, 48}, 500);
    EXPECT_EQ(s.backdropFade, 1);
    EXPECT_EQ(s.nextFade, 0);
    RunTicks(s, SwayingRobotTick, {5, 49}, 2300);
    EXPECT_NEAR(s.backdropFade, 0, 0.001f);
    EXPECT_NEAR(s.nextFade, 1, 0.001f);
    EXPECT_NEAR(s.nextScale, 1, 0.001f);
}

// ---- scene 3 -------------------------------------------------------------------

TEST(TitleRevealTest, KicksAddRollAndRestartTheKick) {
    ClearFlags();
    TitleReveal s;
    Raise(4);
    TitleRevealTick(s, {6, 0});
    Raise(4);
    TitleRevealTick(s, {6, 1});
    EXPECT_EQ(s.roll, 40);
    EXPECT_NEAR(s.kickZ, 0.3995f, 1e-6f);
    Raise(1);
    RunTicks(s, TitleRevealTick, {7, 0}, 10);
    EXPECT_EQ(g_syncFlags[1].load(), 1);  // title flags stay until the scene ends
}

TEST(TitleRevealTest, RobotFadesOutAtANetRateInOrder8) {
    ClearFlags();
    TitleReveal s;
    RunTicks(s, TitleRevealTick, {7, 0}, 3000);
    float before = s.robotFade;
    RunTicks(s, TitleRevealTick, {8, 0}, 1000);
    EXPECT_NEAR(before - s.robotFade, 0.4f, 0.01f);
}

// ---- scene 4 -------------------------------------------------------------------

TEST(ReconnectingTest, MeshIndexWrapsAndSyncZeroWaitsForOrder11) {
    ClearFlags();
    Reconnecting s;
    Raise(0);
    ReconnectingTick(s, {10, 0});
    EXPECT_EQ(g_syncFlags[0].load(), 1);
    EXPECT_EQ(s.meshIndex, 0);
    ReconnectingTick(s, {11, 0});
    EXPECT_EQ(g_syncFlags[0].load(), 0);
    EXPECT_EQ(s.meshIndex, 1);
    EXPECT_GT(s.fanAlpha, 0.99f);
    Raise(4);
    ReconnectingTick(s, {11, 1});
    Raise(4);
    ReconnectingTick(s, {11, 2});
    EXPECT_EQ(s.meshIndex, 0);
}

TEST(ReconnectingTest, TiltSettlesJustAboveZero) {
    ClearFlags();
    Reconnecting s;
    s.tiltX = 45;
    s.tiltZ = -12;
    RunTicks(s, ReconnectingTick, {9, 0}, 20000);
    EXPECT_GT(s.tiltX, 0);
    EXPECT_LT(s.tiltX, 0.006f);
    EXPECT_NE(s.tiltZ, 0);
    EXPECT_LT(std::fabs(s.tiltZ), 0.006f);
}

TEST(ReconnectingTest, TheFanAngleIsCarriedIntoTheNextScene) {
    Reconnecting s;
    g_fanAngle = 0;
    RunTicks(s, ReconnectingTick, {9, 0}, 100);
    CubeLetters letters;
    RunTicks(letters, CubeLettersTick, {13, 0}, 100);
    EXPECT_NEAR(g_fanAngle, 4.0f, 1e-3f);
}

TEST(ReconnectingTest, TheCurveRisesOnlyOnceTheHeadIsUpAndTheFanStopsAt0_3) {
    ClearFlags();
    Reconnecting s;
    RunTicks(s, ReconnectingTick, {9, 0}, 2500);
    EXPECT_GT(s.headY, 129);
    EXPECT_EQ(s.curveY, 256);
    RunTicks(s, ReconnectingTick, {9, 0}, 7200);
    EXPECT_LE(s.headY, 129);
    EXPECT_NEAR(s.curveY, 185, 0.02f);
    RunTicks(s, ReconnectingTick, {10, 32}, 1000);
    EXPECT_EQ(s.fanAlpha, 0);
    RunTicks(s, ReconnectingTick, {10, 33}, 3000);
    EXPECT_NEAR(s.fanAlpha, 0.3f, 0.0003f);
    Raise(0);
    RunTicks(s, ReconnectingTick, {11, 0}, 100);
    EXPECT_NEAR(s.fanAlpha, 0.8f, 0.001f);  // the flash falls back towards 0.3
}

// ---- scene 5 -------------------------------------------------------------------

TEST(CubeLettersTest, MorphTowardFloorsSignedStepsAndClamps) {
    unsigned char dst[256], src[256];
    std::memset(dst, 100, 256);
    std::memset(src, 200, 256);
    MorphToward(dst, src, 0);
    EXPECT_EQ(dst[0], 100);
    MorphToward(dst, src, 128);
    EXPECT_EQ(dst[0], 150);
    dst[1] = 10;
    src[1] = 11;  // +1 at full amount moves nothing
    dst[2] = 11;
    src[2] = 10;  // -1 at full amount moves by -1
    dst[3] = 0;
    src[3] = 255;
    MorphToward(dst, src, 255);
    EXPECT_EQ(dst[1], 10);
    EXPECT_EQ(dst[2], 10);
    EXPECT_EQ(dst[3], 254);
}

TEST(CubeLettersTest, TheAtSignIsRewrittenOnceAtSteps13And18) {
    unsigned char at[256];
    std::memset(at, 7, 256);
    g_glyphAt = at;
    CubeLetters s;
    s.glyphStep = 13;
    CubeLettersRewriteAtSign(s);
    EXPECT_EQ(at[200], 255);
    at[200] = 9;
    CubeLettersRewriteAtSign(s);
    EXPECT_EQ(at[200], 9);
    s.glyphStep = 18;
    CubeLettersRewriteAtSign(s);
    EXPECT_EQ(at[0], 0);
    at[0] = 3;
    CubeLettersRewriteAtSign(s);
    EXPECT_EQ(at[0], 3);
    g_glyphAt = nullptr;
    CubeLetters missing;
    missing.glyphStep = 13;
    CubeLettersRewriteAtSign(missing);  // a glyph that did not load is left alone
    EXPECT_TRUE(missing.atFilled);
}

TEST(CubeLettersTest, SwitchesFollowTheSignOffAndMissingGlyphsAreBlank) {
    unsigned char m[256];
    std::memset(m, 200, 256);
    g_glyphM = m;
    g_glyphI = nullptr;
    CubeLetters s;
    s.morph = 0.3f;
    CubeLettersSwitchGlyph(s);
    EXPECT_EQ(s.glyphStep, 1);
    EXPECT_EQ(s.target, m);
    EXPECT_EQ(s.morph, 0);
    s.morph = 0.31f;
    CubeLettersSwitchGlyph(s);
    ASSERT_NE(s.target, nullptr);
    EXPECT_EQ(s.target[0], 0);
    g_glyphM = nullptr;
}

TEST(CubeLettersTest, TheGridFliesInBeforeOrder14AndRetreatsFromOrder16) {
    CubeLetters s;
    RunTicks(s, CubeLettersTick, {13, 0}, 2500);
    EXPECT_GE(s.gridZ, -2.5f);
    EXPECT_LT(s.gridZ, -2.5f + 0.009f + 1e-4f);  // stops within one step of -2.5
    float flownIn = s.gridZ;
    RunTicks(s, CubeLettersTick, {15, 0}, 1000);
    EXPECT_EQ(s.gridZ, flownIn);
    RunTicks(s, CubeLettersTick, {16, 48}, 1000);
    EXPECT_NEAR(s.gridZ, flownIn - 2.0f, 0.01f);
    EXPECT_EQ(s.endFade, 0);
    RunTicks(s, CubeLettersTick, {16, 49}, 2000);
    EXPECT_NEAR(s.endFade, 1, 0.001f);
    EXPECT_NEAR(s.longFade, 0, 0.001f);
}

TEST(CubeLettersTest, TheGridTableIsBuiltByRepeatedAddition) {
    GridCell cells[256];
    BuildGrid(cells);
    float x = -1.6f;
    for (int j = 0; j < 15; ++j) x += 0.2f;
    EXPECT_EQ(cells[15].x, x);
    EXPECT_EQ(cells[0].y, 1.6f);
    EXPECT_NEAR(cells[255].y, -1.4f, 1e-5f);
}

// ---- scene 6 -------------------------------------------------------------------

TEST(ZoomCutTest, NothingMovesBeforeRow48) {
    ZoomCut s;
    RunTicks(s, ZoomCutTick, {17, 47}, 3000);
    EXPECT_EQ(s.newFade, 0.0f);
    RunTicks(s, ZoomCutTick, {17, 48}, 3000);
    EXPECT_LE(s.oldFade, 0);
    EXPECT_GT(s.oldFade, -0.0005f);
    EXPECT_GE(s.newFade, 1);
    EXPECT_LE(s.newScale, 1);
}

// ---- scene 7 -------------------------------------------------------------------

TEST(CreditsTest, SecondSyncFadesOutFromWhereItStoodAndTheThirdFreezes) {
    ClearFlags();
    Credits s;
    Raise(1);
    RunTicks(s, CreditsTick, {18, 16}, 1000);
    EXPECT_NEAR(s.musicFade, 0.6f, 0.001f);
    Raise(1);
    RunTicks(s, CreditsTick, {18, 40}, 500);
    EXPECT_NEAR(s.musicFade, 0.4f, 0.001f);
    Raise(1);
    RunTicks(s, CreditsTick, {18, 50}, 500);
    EXPECT_EQ(s.musicSyncs, 3);
    EXPECT_NEAR(s.musicFade, 0.4f, 0.001f);
    EXPECT_EQ(s.codeFade, 0);
    EXPECT_EQ(s.graphicsFade, 0);
}

TEST(CreditsTest, ShapesComeToRestAndTheSquareIsDrawnAtMinus48) {
    Credits s;
    RunTicks(s, CreditsTick, {18, 0}, 3000);
    EXPECT_LE(s.squareX, -48);
    EXPECT_EQ(static_cast<int>(s.squareX), -48);
    EXPECT_LE(s.triangleX, 384);
    EXPECT_GT(s.triangleX, 383.7f);
    EXPECT_LE(s.circleX, 192);
}

TEST(CreditsTest, TheOldPictureFadesFromRow48OfOrder20AndFasterAfterIt) {
    ClearFlags();
    Credits s;
    RunTicks(s, CreditsTick, {20, 47}, 500);
    EXPECT_EQ(s.oldFade, 1);
    EXPECT_EQ(s.newFade, 0);
    RunTicks(s, CreditsTick, {20, 48}, 100);
    EXPECT_NEAR(s.oldFade, 0.95f, 1e-4f);
    RunTicks(s, CreditsTick, {20, 49}, 100);
    EXPECT_NEAR(s.oldFade, 0.86f, 1e-4f);
    EXPECT_NEAR(s.newFade, 0.1f, 1e-4f);
}

// ---- scenes 8 and 9 -------------------------------------------------------------------

TEST(GreetingsTest, PicturesStepOncePerSecondSkippingOneTo37) {
    Greetings s;
    std::vector<int> seen;
    for (int32_t now = 0; now <= 20000; now += 250) {
        GreetingsStepPicture(s, now);
        if (seen.empty() || seen.back() != s.greetIndex) seen.push_back(s.greetIndex);
    }
    std::vector<int> expected = {-4, -3, -2, -1};
    for (int slot = 38; slot <= 49; ++slot) expected.push_back(slot);
    EXPECT_EQ(seen, expected);
}

TEST(GreetingsTest, SlowFramesStepOncePerFrame) {
    Greetings s;
    GreetingsStepPicture(s, 5000);
    EXPECT_EQ(s.greetIndex, -3);
    GreetingsStepPicture(s, 5100);
    EXPECT_EQ(s.greetIndex, -3);
    GreetingsStepPicture(s, 10000);
    EXPECT_EQ(s.greetIndex, -2);
}

TEST(CubeWallTest, CubesJumpToTwiceTheBarAlphaWhenOrder26Begins) {
    CubeWall s;
    RunTicks(s, CubeWallTick, {23, 0}, 5000);
    EXPECT_NEAR(s.cubeScale, 0.5f, 0.001f);
    CubeWallTick(s, {26, 0});
    EXPECT_NEAR(s.cubeScale, 2 * (0.5f - 0.00007f), 1e-5f);
}

TEST(CubeWallTest, BarPhasesContinueFromTheGreetings) {
    Greetings greetings;
    g_barPhase1 = 0.82f;
    RunTicks(greetings, GreetingsTick, {21, 0}, 1000);
    float phase = g_barPhase1;
    CubeWall wall;
    CubeWallTick(wall, {23, 0});
    EXPECT_FLOAT_EQ(g_barPhase1, phase + 0.001f);
}

TEST(GreetingsTest, TheBarsComeInAfterRow48OfOrder22UpToHalfAndTheViewNarrowsTo65) {
    Greetings s;
    RunTicks(s, GreetingsTick, {22, 48}, 500);
    EXPECT_EQ(s.barAlpha, 0);
    EXPECT_EQ(s.backFade, 1);
    RunTicks(s, GreetingsTick, {22, 49}, 3000);
    EXPECT_NEAR(s.barAlpha, 0.5f, 0.0003f);
    EXPECT_NEAR(s.backFade, 0, 0.002f);
    EXPECT_NEAR(s.fov, 65, 0.04f);
    EXPECT_LT(s.meshZ, -1.9f - 0.006f * 3000 + 0.01f);
}

TEST(CubeWallTest, CubesGrowToOneBeforeOrder26) {
    CubeWall s;
    RunTicks(s, CubeWallTick, {23, 0}, 5000);
    EXPECT_NEAR(s.cubeScale, 0.5f, 0.001f);
    RunTicks(s, CubeWallTick, {25, 0}, 10000);
    EXPECT_GE(s.cubeScale, 1.0f);
    EXPECT_LT(s.cubeScale, 1.0001f);
}

}  // namespace
