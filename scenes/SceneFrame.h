// What the show's scenes are (their orders and names), and a scene's frames
// as the loop runs them (FrameLoop.h): plain data.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/options.h"

// The music position the loop reads and hands to the scenes.
using platform::MusicPosition;

// The order each scene ends at, in the order shown; a scene starts where the
// one before it ends, the first at order 0.
constexpr uint32_t kSceneEndOrders[9] = {3, 6, 9, 13, 17, 18, 21, 23, 27};
constexpr int kSceneCount = 9;
constexpr uint32_t SceneEndOrder(int scene) { return kSceneEndOrders[scene - 1]; }
constexpr uint32_t SceneStartOrder(int scene) { return scene == 1 ? 0 : kSceneEndOrders[scene - 2]; }
// What each scene shows, for the viewer.
inline constexpr const char* kSceneNames[9] = {"opening titles", "swaying robot", "title reveal", "reconnecting",
                                               "cube letters",   "zoom cut",      "credits",      "greetings",
                                               "cube wall"};

// How a scene's frames ended: at the scene's end order, because the viewer
// quit, or for a seek (the chain goes on from a checkpoint).
enum class SceneEnd { kDone, kQuit, kSeek };

struct SceneFrame {
    int scene;                 // 1 to 9, for the trace
    uint32_t endOrder;         // the scene is done once the frame order reaches it
    bool positionEveryTick;    // the opening scene reads the position in each tick pass
    void* state;               // the scene's own variables
    void (*tick)(void* state, MusicPosition position);
    void (*draw)(void* state, MusicPosition position);
    // Optional: writes the position line (the default is "order: %d, row: %d").
    void (*positionLine)(void* state, char* text, int size, uint32_t order, uint32_t row);
    // A copy of the scene's variables for a checkpoint, and putting one back.
    std::shared_ptr<void> (*keepState)(const void* state);
    void (*putBackState)(void* state, const void* kept);
};
