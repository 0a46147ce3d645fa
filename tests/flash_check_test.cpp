// The flash check on the show itself: a calm show has no second over three
// flashes in any scene, and its scene 4 (the fan's flashes on the beat)
// flashes less than the show's.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

#include "support.h"

namespace {

struct SceneFlashes {
    int seconds = 0, secondsOver = 0;
    double mostGeneral = 0, mostRed = 0;
};

// What a failure shows of `pqn --flash-check --json`: its per-scene summary
// (or all of it, when it has none).
std::string SummaryOf(const std::string& output) {
    size_t at = output.find("\"scenes\"");
    return at == std::string::npos ? output : output.substr(at);
}

// The per-scene summary of `pqn --flash-check --json`.
std::map<int, SceneFlashes> ScenesOf(const std::string& output) {
    std::map<int, SceneFlashes> scenes;
    std::regex scene(R"(\{"scene":(\d+),"seconds":(\d+),"seconds_over":(\d+),"most_general":([\d.]+),"most_red":([\d.]+)\})");
    for (std::sregex_iterator it(output.begin(), output.end(), scene), end; it != end; ++it)
        scenes[std::stoi((*it)[1])] = {std::stoi((*it)[2]), std::stoi((*it)[3]), std::stod((*it)[4]), std::stod((*it)[5])};
    return scenes;
}

TEST(FlashCheckTest, ACalmShowHasNoSecondOverThreeFlashesAndItsFanFlashesLess) {
    std::string calm;
    ASSERT_EQ(test::RunPqn("--flash-check --json --calm --fps 30", &calm), 0) << calm;
    std::map<int, SceneFlashes> calmScenes = ScenesOf(calm);
    ASSERT_EQ(calmScenes.size(), 9u) << calm;
    for (const auto& [scene, flashes] : calmScenes) {
        EXPECT_GT(flashes.seconds, 0) << "scene " << scene;
        EXPECT_EQ(flashes.secondsOver, 0) << "scene " << scene << " of the calm show:\n" << SummaryOf(calm);
        EXPECT_LE(flashes.mostGeneral, 3.0) << "scene " << scene;
        EXPECT_LE(flashes.mostRed, 3.0) << "scene " << scene;
    }
    std::string show;
    ASSERT_EQ(test::RunPqn("--flash-check --json --scene 4 --to 13:0 --fps 30", &show), 0) << show;
    std::map<int, SceneFlashes> showScenes = ScenesOf(show);
    ASSERT_EQ(showScenes.count(4), 1u) << show;
    EXPECT_LT(calmScenes[4].mostGeneral, showScenes[4].mostGeneral)
        << "the calm show:\n" << SummaryOf(calm) << "\nthe show:\n" << SummaryOf(show);
}

}  // namespace
