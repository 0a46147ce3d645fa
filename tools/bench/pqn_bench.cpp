// pqn-bench: figures of the platform layer and the engine that the show's own
// --bench does not give.
//   pqn-bench audio    real time on the silent output: how far the reported
//                      position trails the sound being heard, and how far the
//                      decoder runs ahead
//   pqn-bench frames   headless: frames per second of the empty frame loop and
//                      of a frame of five full-band sprites (each frame finished)
//   pqn-bench          both, each in a process of its own
// Runs on the default data set; prints one line per figure.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <GL/gl.h>  // glFinish, before the program's GL names

#include "../headless_engine.h"
#include "platform/runtime.h"
#include "../../scenes/SceneFrame.h"
#include "../../scenes/TickTimer.h"

namespace {

using Clock = std::chrono::steady_clock;

// Each row change seen is compared with the moment that row was due, counted
// from the start of playback on the wall clock (the silent output consumes the
// sound at the real rate).
int AudioLag() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform::Configure(platform::RunOptions());
    EngineWindow music(2, 1);
    music.LoadMusic("biisi.xm");
    DWORD channel = music.GetMusicChannel();
    if (!channel) {
        std::fprintf(stderr, "pqn-bench: biisi.xm did not load\n");
        return 1;
    }
    music.PlayMusic();
    Clock::time_point start = Clock::now();
    uint32_t lastRow = 0, lastOrder = 0;
    std::vector<double> lagMs, leadFrames;
    while (Clock::now() - start < std::chrono::seconds(6)) {
        uint32_t order = music.GetOrder(), row = music.GetRow();
        if (order != lastOrder || row != lastRow) {
            double now = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            double due = (platform::MusicSecondsAtOrder(channel, order) + row * 0.12) * 1000;
            lagMs.push_back(now - due);
            leadFrames.push_back(static_cast<double>(platform::MusicDecodeLeadFrames()));
            lastOrder = order;
            lastRow = row;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (lagMs.empty()) return 1;
    std::sort(lagMs.begin(), lagMs.end());
    double mean = 0, lead = 0;
    for (double v : lagMs) mean += v;
    for (double v : leadFrames) lead += v;
    std::printf("audio: %zu row changes; reported after the row was due by %.1f ms mean, %.1f ms median, %.1f ms max\n",
                lagMs.size(), mean / lagMs.size(), lagMs[lagMs.size() / 2], lagMs.back());
    std::printf("audio: the decoder runs %.0f frames (%.1f ms) ahead of the sound heard\n", lead / leadFrames.size(),
                lead / leadFrames.size() / 44.1);
    return 0;
}

double FramesPerSecond(int frames, void (*drawFrame)()) {
    Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        drawFrame();
        g_engine->pswap();
        TextOutA(g_engine->ow->GetDC(), 0, 0, "order: 0, row: 0", 16);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        glFinish();
    }
    return frames / std::chrono::duration<double>(Clock::now() - start).count();
}

void EmptyFrame() {
    g_engine->ow->GetOrder();
    g_engine->ow->GetRow();
    g_tickTimer.Update();
}

void FiveSprites() {
    g_engine->set2D();
    g_engine->fill(0, 0, 0);
    g_engine->Blend(2);
    g_engine->SetFade(0.3f);
    for (int i = 0; i < 5; ++i) g_engine->sprite(0, 0, 640, 256, i == 0 ? 0 : 10 + i);
}

int Frames() {
    OpenHeadlessEngine(2);
    g_engine->setWideScreen(640, 256);
    g_engine->edTexture(true);
    g_engine->ow->PlayMusic();
    g_tickTimer.Start();
    std::printf("frames: empty frame loop %.0f frames/s headless\n", FramesPerSecond(3000, EmptyFrame));
    std::printf("frames: five full-band sprites %.0f frames/s headless\n", FramesPerSecond(1500, FiveSprites));
    SendMessageA(g_engine->ow->GetWindow(), WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (chdir(PQN_BUILD_DATA_DIR) != 0) {
        std::fprintf(stderr, "pqn-bench: no data set at %s\n", PQN_BUILD_DATA_DIR);
        return 1;
    }
    std::string what = argc > 1 ? argv[1] : "";
    if (what == "audio") return AudioLag();
    if (what == "frames") return Frames();
    if (!what.empty()) {
        std::fprintf(stderr, "usage: pqn-bench [audio|frames]\n");
        return 2;
    }
    std::string self = argv[0];
    int frames = std::system((self + " frames").c_str());
    int audio = std::system((self + " audio").c_str());
    return frames == 0 && audio == 0 ? 0 : 1;
}
