// Entry, window procedure, sync callback and the scene chain.
#include "demo.h"

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

static void BlankScreen() {
    g_engine->cls();
    g_engine->cls();
    for (int i = 0; i < 2; ++i) {
        g_engine->fill(0, 0, 0);
        g_engine->pswap();
    }
}

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    g_running = true;
    g_engine = new Kestrel3D;
    g_engine->ow = new EngineWindow(2, 1);
    if (!g_engine->ow->Create(640, 480, instance, showCommand, ".P.Q.N.")) return 0;
    g_engine->getHDC();
    g_engine->InitAPI();

    BlankScreen();
    LoadAssets();
    BlankScreen();
    for (int i = 0; i < 2; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(g_engine->ow->GetDC());
    }
    g_engine->setWideScreen(640, 256);
    g_engine->edTexture(true);
    g_engine->ow->PlayMusic();
    g_tickTimer.Start();

    bool (*const scenes[])() = {Scene1, Scene2, Scene3, Scene4, Scene5, Scene6, Scene7, Scene8, Scene9};
    for (auto scene : scenes) {
        if (!g_running) break;
        g_running = scene();
    }
    if (g_engine) SendMessageA(g_engine->ow->GetWindow(), WM_CLOSE, 0, 0);
    return 0;
}
