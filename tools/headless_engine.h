// Opens the engine headless on the default data set, as start-up does, for
// the tools that draw with it.
#pragma once

#include "../main/demo.h"

// The platform headless, g_engine with its window and GL context, every asset loaded.
void OpenHeadlessEngine(int musicMode);
