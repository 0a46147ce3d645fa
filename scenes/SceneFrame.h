// The loop every scene runs: one window message, the music position, the
// owed ticks, the drawing, the swap, the position line, the end test.
#pragma once

#include <cstdint>

struct FramePosition {
    uint32_t order;
    uint32_t row;
};

struct SceneFrame {
    int scene;                 // 1 to 9, for the trace
    uint32_t endOrder;         // the scene returns true once the frame order reaches it
    bool positionEveryTick;    // the opening scene reads the position in each tick pass
    void* state;               // the scene's own variables
    void (*tick)(void* state, FramePosition position);
    void (*draw)(void* state, FramePosition position);
    // Optional: writes the position line (the default is "order: %d, row: %d").
    void (*positionLine)(void* state, char* text, int size, uint32_t order, uint32_t row);
};

// Runs frames until the end order (true) or until the user quits (false).
bool RunSceneFrames(const SceneFrame& frame);
