// The globals, the window procedure, the sync callback and the opening of
// the engine.
#include "demo.h"

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

bool OpenEngine(int musicMode, HINSTANCE instance, int showCommand) {
    g_engine = new Kestrel3D;
    g_engine->ow = new EngineWindow(musicMode, 1);
    g_engine->ow->SetWindowProcedure(MainWindowProc);
    if (!g_engine->ow->Create(640, 480, instance, showCommand, ".P.Q.N.")) return false;
    g_engine->getHDC();
    g_engine->InitAPI();
    return true;
}
