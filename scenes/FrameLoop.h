// The loop every scene runs: one window message, the player's controls, the
// music position, the owed ticks, the drawing, the swap, the position line,
// the end test.
#pragma once

#include "SceneFrame.h"

// Whether the show is drawn calm (--calm): its flashes on the beat softened.
bool CalmShow();

// Runs frames until the end order, until the user quits or until a seek.
SceneEnd RunSceneFrames(const SceneFrame& frame);

// Scene `scene`'s frames over its own state: Tick(state, position) for each
// tick, Draw(state, position) for each frame, and, where a scene writes its
// own position line, Line(state, text, size, order, row).
template <typename State, auto Tick, auto Draw, auto Line = nullptr>
SceneEnd RunScene(int scene, State& state, bool positionEveryTick = false) {
    SceneFrame frame{scene, SceneEndOrder(scene), positionEveryTick, &state,
                     [](void* s, MusicPosition p) { Tick(*static_cast<State*>(s), p); },
                     [](void* s, MusicPosition p) { Draw(*static_cast<State*>(s), p); }, nullptr,
                     [](const void* s) -> std::shared_ptr<void> { return std::make_shared<State>(*static_cast<const State*>(s)); },
                     [](void* s, const void* kept) { *static_cast<State*>(s) = *static_cast<const State*>(kept); }};
    if constexpr (Line != nullptr)
        frame.positionLine = [](void* s, char* text, int size, uint32_t order, uint32_t row) {
            Line(*static_cast<State*>(s), text, size, order, row);
        };
    return RunSceneFrames(frame);
}
