// The tick timer on the system tick count; differences wrap modulo 2^32.
#include "TickTimer.h"

#include "platform/win32.h"

TickTimer g_tickTimer;

void TickTimer::Start() { startTicks = static_cast<int32_t>(GetTickCount()); }

int32_t TickTimer::Now() const { return static_cast<int32_t>(GetTickCount() - static_cast<uint32_t>(startTicks)); }

void TickTimer::Reset() { lastTime = Now(); }

// Milliseconds between the two clock readings are in neither frame's count.
void TickTimer::Update() {
    elapsed = static_cast<int32_t>(static_cast<uint32_t>(Now()) - static_cast<uint32_t>(lastTime));
    stepped = 0;
    lastTime = Now();
}
