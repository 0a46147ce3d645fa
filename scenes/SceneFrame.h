// The loop every scene runs: one window message, the music position, the
// owed ticks, the drawing, the swap, the position line, the end test.
#pragma once

#include <cstdint>

#include "platform/options.h"

// The music position the loop reads and hands to the scenes.
using platform::MusicPosition;

// The order each scene ends at, in the order shown; a scene starts where the
// one before it ends, the first at order 0.
constexpr uint32_t kSceneEndOrders[9] = {3, 6, 9, 13, 17, 18, 21, 23, 27};
constexpr int kSceneCount = 9;
constexpr uint32_t SceneEndOrder(int scene) { return kSceneEndOrders[scene - 1]; }
constexpr uint32_t SceneStartOrder(int scene) { return scene == 1 ? 0 : kSceneEndOrders[scene - 2]; }

struct SceneFrame {
    int scene;                 // 1 to 9, for the trace
    uint32_t endOrder;         // the scene returns true once the frame order reaches it
    bool positionEveryTick;    // the opening scene reads the position in each tick pass
    void* state;               // the scene's own variables
    void (*tick)(void* state, MusicPosition position);
    void (*draw)(void* state, MusicPosition position);
    // Optional: writes the position line (the default is "order: %d, row: %d").
    void (*positionLine)(void* state, char* text, int size, uint32_t order, uint32_t row);
};

// Runs frames until the end order (true) or until the user quits (false).
bool RunSceneFrames(const SceneFrame& frame);

// Scene `scene`'s frames over its own state: Tick(state, position) for each
// tick, Draw(state, position) for each frame, and, where a scene writes its
// own position line, Line(state, text, size, order, row).
template <typename State, auto Tick, auto Draw, auto Line = nullptr>
bool RunScene(int scene, State& state, bool positionEveryTick = false) {
    SceneFrame frame{scene, SceneEndOrder(scene), positionEveryTick, &state,
                     [](void* s, MusicPosition p) { Tick(*static_cast<State*>(s), p); },
                     [](void* s, MusicPosition p) { Draw(*static_cast<State*>(s), p); }, nullptr};
    if constexpr (Line != nullptr)
        frame.positionLine = [](void* s, char* text, int size, uint32_t order, uint32_t row) {
            Line(*static_cast<State*>(s), text, size, order, row);
        };
    return RunSceneFrames(frame);
}
