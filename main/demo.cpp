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

// The scenes before `first` run every frame of a full run, unseen and
// unheard (see BeginWarp, called before the music plays), so that what they
// leave behind (the random numbers drawn, the GL state, the sync flags, the
// values they hand on) is what a full run leaves.
void RunEarlierScenesUnseen(int first) {
    for (int scene = 1; scene < first && g_running; ++scene) g_running = kScenes[scene - 1]();
    platform::EndWarp(g_engine ? g_engine->ow->GetMusicChannel() : 0, kStartOrders[first - 1]);
}

// Seconds of show a capture from scene `first` takes: to the end of the
// show. Asked before the music plays, while the module can still be timed.
double CaptureSeconds(int first) {
    if (platform::Options().captureOut.empty()) return 0;
    DWORD music = g_engine->ow->GetMusicChannel();
    double seconds = platform::MusicSecondsAtOrder(music, 27) - platform::MusicSecondsAtOrder(music, kStartOrders[first - 1]);
    return seconds > 0 ? seconds : 0;
}

// A capture starts with the first scene shown.
bool StartCapture(double seconds) {
    const platform::RunOptions& options = platform::Options();
    if (options.captureOut.empty()) return true;
    int widthPx = 0, heightPx = 0;
    platform::FrameSizePx(&widthPx, &heightPx);
    return platform::capture::Start(options.captureOut, options.framesPerSecond, seconds, widthPx, heightPx);
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
    double captureSeconds = CaptureSeconds(first);
    if (first > 1) platform::BeginWarp();
    g_engine->ow->PlayMusic();
    g_tickTimer.Start();
    if (first > 1) RunEarlierScenesUnseen(first);
    if (!g_engine) return false;  // the window was closed while the earlier scenes ran
    if (!StartCapture(captureSeconds)) g_running = false;
    return true;
}

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (!StartShow(instance, showCommand)) return 0;
    for (int scene = platform::Options().firstScene; scene <= 9 && g_running; ++scene) g_running = kScenes[scene - 1]();
    // The show is over: the program closes its own window.
    if (g_engine) SendMessageA(g_engine->ow->GetWindow(), WM_CLOSE, 0, 0);
    return 0;
}
