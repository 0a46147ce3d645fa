// The fixed-step millisecond clock every scene animates by: each frame owes
// one tick per millisecond since the previous frame, and at least one.
#pragma once

#include <cstdint>

class TickTimer {
public:
    void Start();
    int32_t Now() const;
    void Reset();
    void Update();
    bool Pending() const { return stepped < elapsed; }
    void Advance() { ++stepped; }

    int32_t startTicks = 0;
    int32_t lastTime = 0;
    int32_t elapsed = 0;
    int32_t stepped = 0;
};

extern TickTimer g_tickTimer;
