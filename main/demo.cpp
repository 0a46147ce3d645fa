// Entry, window procedure, sync callback and the scene chain.
#include "demo.h"

#include "platform/capture.h"
#include "platform/runtime.h"
#include "../scenes/TickTimer.h"

Kestrel3D* g_engine = nullptr;
bool g_running = false;
std::atomic<int32_t> g_syncFlags[7];

float g_fanAngle = 0;
float g_barPhase1 = 0;
float g_barPhase2 = 0;
float g_barPhase3 = 0;
float g_barPhase4 = 0;

void CALLBACK MusicSyncProc(HSYNC, DWORD, DWORD data, DWORD) {
    if (data <= 6) g_syncFlags[data].store(1, std::memory_order_relaxed);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            if (g_engine) delete g_engine;
            g_engine = nullptr;
            PostQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE || wParam == VK_F12) PostMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

namespace {

bool (*const kScenes[])() = {Scene1, Scene2, Scene3, Scene4, Scene5, Scene6, Scene7, Scene8, Scene9};
const uint32_t kStartOrders[] = {0, 3, 6, 9, 13, 17, 18, 21, 23};
const uint32_t kEndOrders[] = {3, 6, 9, 13, 17, 18, 21, 23, 27};

// The scenes before `first` run without being shown, on the frames of a full
// run that matter (see BeginWarp), so that the GL state and the values they
// hand on are as after a full run; the music then starts at the first order
// of scene `first`.
void RunEarlierScenesInAMoment(int first) {
    DWORD music = g_engine->ow->GetMusicChannel();
    std::vector<platform::OrderTiming> timing;
    for (uint32_t order = 0; order <= kStartOrders[first - 1]; ++order)
        timing.push_back({platform::MusicSampleAtOrder(music, order), platform::MusicRowsAtOrder(music, order)});
    platform::BeginWarp();
    g_tickTimer.Start();
    for (int scene = 1; scene < first && g_running; ++scene) {
        platform::WarpThrough(kStartOrders[scene - 1], kEndOrders[scene - 1], timing);
        g_running = kScenes[scene - 1]();
    }
    platform::EndWarp();
    if (g_engine) platform::StartMusicAtOrder(music, kStartOrders[first - 1]);
}

// A capture starts with the music: its length is the show's from there.
bool StartCapture(int first) {
    const platform::RunOptions& options = platform::Options();
    if (options.captureOut.empty()) return true;
    DWORD music = g_engine->ow->GetMusicChannel();
    double seconds = platform::MusicSecondsAtOrder(music, 27) - platform::MusicSecondsAtOrder(music, kStartOrders[first - 1]);
    int widthPx = 0, heightPx = 0;
    platform::FrameSizePx(&widthPx, &heightPx);
    return platform::capture::Start(options.captureOut, options.framesPerSecond, seconds > 0 ? seconds : 0, widthPx,
                                    heightPx);
}

}  // namespace

static void BlankScreen() {
    g_engine->cls();
    g_engine->cls();
    for (int i = 0; i < 2; ++i) {
        g_engine->fill(0, 0, 0);
        g_engine->pswap();
    }
}

bool OpenEngine(int musicMode, HINSTANCE instance, int showCommand) {
    g_engine = new Kestrel3D;
    g_engine->ow = new EngineWindow(musicMode, 1);
    g_engine->ow->SetWindowProcedure(MainWindowProc);
    if (!g_engine->ow->Create(640, 480, instance, showCommand, ".P.Q.N.")) return false;
    g_engine->getHDC();
    g_engine->InitAPI();
    return true;
}

bool StartShow(HINSTANCE instance, int showCommand) {
    g_running = true;
    if (!OpenEngine(2, instance, showCommand)) return false;

    BlankScreen();
    LoadAssets();
    BlankScreen();
    for (int i = 0; i < 2; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(g_engine->ow->GetDC());
    }
    g_engine->setWideScreen(640, 256);
    g_engine->edTexture(true);
    int first = platform::Options().firstScene;
    if (first > 1) RunEarlierScenesInAMoment(first);
    if (!g_engine) return false;  // the window was closed while the earlier scenes ran
    if (!StartCapture(first)) g_running = false;
    g_engine->ow->PlayMusic();
    g_tickTimer.Start();
    return true;
}

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (!StartShow(instance, showCommand)) return 0;
    for (int scene = platform::Options().firstScene; scene <= 9 && g_running; ++scene) g_running = kScenes[scene - 1]();
    // The show is over: the program closes its own window.
    if (g_engine) SendMessageA(g_engine->ow->GetWindow(), WM_CLOSE, 0, 0);
    return 0;
}
