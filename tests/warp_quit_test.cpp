// Quitting while the scenes before a chosen first scene run unseen: the
// window closes, the engine is deleted, and start-up must not touch it again
// (the show goes no further, no capture is begun); the program returns 0. Under the
// sanitizers a use of the deleted engine fails this test. And the ends of
// scenes: after the last one the program closes its own window, and the
// title scene lowers its flags.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "../main/show.h"
#include "../scenes/Scenes.h"
#include "platform/capture.h"
#include "platform/runtime.h"
#include "support.h"

namespace {

// A headless run from `firstScene` at `framesPerSecond`, in the default data set.
bool ConfigureHeadlessFrom(int firstScene, int framesPerSecond) {
    platform::RunOptions options;
    options.headless = true;
    options.firstScene = firstScene;
    options.framesPerSecond = framesPerSecond;
    platform::Configure(options);
    return chdir(PQN_DATA_DIR) == 0;
}

TEST(WarpQuitTest, EscapeWhileEarlierScenesRunEndsTheProgramCleanly) {
    platform::RunOptions options;
    options.headless = true;
    options.firstScene = 9;
    options.captureOut = test::TempDir() + "/warp-quit-capture";
    platform::Configure(options);
    ASSERT_EQ(chdir(PQN_DATA_DIR), 0);
    for (int scene = 0; scene < 3; ++scene) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = SDLK_ESCAPE;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 1), 0);
        EXPECT_EQ(g_engine, nullptr);
        EXPECT_LT(platform::ShowTimeMs(), 100u) << "the show went on after the window closed";
        EXPECT_FALSE(platform::capture::Active()) << "a capture was begun after the window closed";
    }
}

TEST(WarpQuitTest, AfterTheLastSceneTheProgramClosesItsOwnWindow) {
    ASSERT_TRUE(ConfigureHeadlessFrom(9, 10));
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 1), 0);
    EXPECT_GT(platform::ShowTimeMs(), 200000u) << "the show did not reach its end";
    EXPECT_EQ(g_engine, nullptr) << "the window is still open";
}

// Scene 3 lowers the title flags 1 to 4 when it reaches its end order, so
// that the next scenes start with them down.
TEST(WarpQuitTest, TheTitleSceneLowersItsFlagsAtItsEnd) {
    ASSERT_TRUE(ConfigureHeadlessFrom(3, 10));
    ASSERT_TRUE(StartShow(nullptr, 1));
    for (int flag = 1; flag <= 4; ++flag) g_syncFlags[flag].store(1);
    EXPECT_EQ(Scene3(), SceneEnd::kDone);
    for (int flag = 1; flag <= 4; ++flag) EXPECT_EQ(g_syncFlags[flag].load(), 0) << flag;
    SendMessageA(g_engine->ow->GetWindow(), WM_CLOSE, 0, 0);
}

}  // namespace
