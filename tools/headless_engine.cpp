// Start-up of the engine for the tools.
#include "headless_engine.h"

#include "platform/runtime.h"

void OpenHeadlessEngine(int musicMode) {
    platform::RunOptions options;
    options.headless = true;
    platform::Configure(options);
    g_engine = new Kestrel3D;
    g_engine->ow = new EngineWindow(musicMode, 1);
    g_engine->ow->Create(640, 480, nullptr, 1, ".P.Q.N.");
    g_engine->getHDC();
    g_engine->InitAPI();
    LoadAssets();
}
