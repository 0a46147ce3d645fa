// Quitting through the real message path: SDL key events become window
// messages; Escape, F12 and Alt+F4 close the window during the first scene,
// the engine is deleted, no later scene runs and the program returns 0;
// other keys and key releases change nothing.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "../main/show.h"
#include "../scenes/Scenes.h"
#include "platform/runtime.h"
#include "../scenes/TickTimer.h"
#include "support.h"

namespace {

std::string TracePath() { return test::TempDir() + "/quit-trace.jsonl"; }

class QuitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::RunOptions options;
        options.headless = true;
        options.traceFile = TracePath();
        platform::Configure(options);
        ASSERT_EQ(chdir(PQN_DATA_DIR), 0);
    }

    static void Key(SDL_Keycode key, bool down, Uint16 modifiers = KMOD_NONE) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.keysym.sym = key;
        event.key.keysym.mod = modifiers;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    // Runs the program and returns the scenes of the frames it drew.
    std::vector<int> RunShow() {
        std::ifstream before(TracePath());
        size_t seen = 0;
        for (std::string line; std::getline(before, line);) ++seen;
        EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 1), 0);
        std::ifstream after(TracePath());
        std::vector<int> scenes;
        size_t index = 0;
        for (std::string line; std::getline(after, line); ++index) {
            size_t at = line.find("\"scene\":");
            if (index >= seen && at != std::string::npos) scenes.push_back(std::atoi(line.c_str() + at + 8));
        }
        return scenes;
    }
};

TEST_F(QuitTest, EscapeEndsTheShowInTheSceneThatRuns) {
    Key(SDLK_ESCAPE, true);
    std::vector<int> scenes = RunShow();
    EXPECT_EQ(g_engine, nullptr);
    EXPECT_FALSE(g_running);
    // One frame takes the key and posts the close; the next takes the close.
    EXPECT_EQ(scenes, std::vector<int>({1}));
}

TEST_F(QuitTest, F12AndAltF4CloseTheWindowToo) {
    Key(SDLK_F12, true);
    EXPECT_EQ(RunShow(), std::vector<int>({1}));
    EXPECT_EQ(g_engine, nullptr);
    Key(SDLK_F4, true, KMOD_LALT);
    EXPECT_EQ(RunShow(), std::vector<int>({1}));
    EXPECT_EQ(g_engine, nullptr);
}

TEST_F(QuitTest, EscapeEndsEveryScene) {
    SceneEnd (*const scenes[])() = {Scene1, Scene2, Scene3, Scene4, Scene5, Scene6, Scene7, Scene8, Scene9};
    for (int scene = 0; scene < 9; ++scene) {
        ASSERT_TRUE(StartShow(nullptr, 1));
        Key(SDLK_ESCAPE, true);
        EXPECT_EQ(scenes[scene](), SceneEnd::kQuit) << "scene " << scene + 1;
        EXPECT_EQ(g_engine, nullptr) << "scene " << scene + 1;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && GetMessageA(&msg, nullptr, 0, 0)) {
        }
    }
}

TEST_F(QuitTest, StartUpLowersEverySyncFlag) {
    for (auto& flag : g_syncFlags) flag.store(1);
    ASSERT_TRUE(StartShow(nullptr, 1));
    for (int flag = 0; flag < 7; ++flag) EXPECT_EQ(g_syncFlags[flag].load(), 0) << flag;
    Key(SDLK_ESCAPE, true);
    EXPECT_EQ(Scene1(), SceneEnd::kQuit);
    EXPECT_EQ(g_engine, nullptr);
}

// The title flags stay up when the user quits scene 3 (only a normal end
// lowers them, see WarpQuitTest).
TEST_F(QuitTest, QuittingTheTitleSceneLeavesItsFlagsUp) {
    ASSERT_TRUE(StartShow(nullptr, 1));
    for (int flag = 1; flag <= 3; ++flag) g_syncFlags[flag].store(1);
    Key(SDLK_ESCAPE, true);
    EXPECT_EQ(Scene3(), SceneEnd::kQuit);
    for (int flag = 1; flag <= 3; ++flag) EXPECT_EQ(g_syncFlags[flag].load(), 1) << flag;
}

// The greetings start the four noise bars at their own phases.
TEST_F(QuitTest, TheGreetingsStartTheBarsAtTheirPhases) {
    ASSERT_TRUE(StartShow(nullptr, 1));
    g_barPhase1 = g_barPhase2 = g_barPhase3 = g_barPhase4 = 5;
    Key(SDLK_ESCAPE, true);
    EXPECT_EQ(Scene8(), SceneEnd::kQuit);
    // One frame of ticks ran before the close arrived.
    EXPECT_NEAR(g_barPhase1, 0.82f, 0.01f);
    EXPECT_NEAR(g_barPhase2, 1.43f, 0.01f);
    EXPECT_NEAR(g_barPhase3, 0.4f, 0.01f);
    EXPECT_NEAR(g_barPhase4, 0.0f, 0.01f);
}

TEST_F(QuitTest, OtherKeysAndReleasesAreIgnored) {
    Key(SDLK_a, true);
    Key(SDLK_SPACE, true);
    Key(SDLK_ESCAPE, false);
    Key(SDLK_F12, false);
    Key(SDLK_ESCAPE, true);
    std::vector<int> scenes = RunShow();
    // Four ignored messages, one frame each, then the Escape.
    EXPECT_EQ(scenes, std::vector<int>(5, 1));
    EXPECT_EQ(g_engine, nullptr);
}

}  // namespace
