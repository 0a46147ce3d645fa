// Start-up of the engine for the tools.
#include "headless_engine.h"

#include "platform/runtime.h"

void OpenHeadlessEngine(int musicMode) {
    platform::RunOptions options;
    options.headless = true;
    platform::Configure(options);
    OpenEngine(musicMode, nullptr, 1);
    LoadAssets();
}
