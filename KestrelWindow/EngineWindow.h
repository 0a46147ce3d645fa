// The engine library's window-and-music object: registers the window class,
// opens the one window (full screen or framed), hands out its device context
// and size, shows error boxes, and owns the module or stream being played.
#pragma once

#include "platform/bass.h"
#include "platform/win32.h"

class EngineWindow {
public:
    EngineWindow(int musicMode, int windowMode);
    ~EngineWindow();

    // The program's procedure the window class is registered with (before Create).
    void SetWindowProcedure(WNDPROC procedure) { this->procedure = procedure; }

    int Create(int width, int height, HINSTANCE instance, int showCommand, const char* title);
    void EnterFullscreen();
    int Show();
    void RestoreDisplay();
    HDC GetDC();
    int GetWidth();
    int GetHeight();
    HWND GetWindow() { return window; }
    void WNDError(const char* text);

    // Music (mode 1: none, 2: module, 3: stream)
    void LoadMusic(const char* fileName);
    void PlayMusic();
    unsigned int GetOrder();
    unsigned int GetRow();
    DWORD GetMusicChannel();

private:
    void InitOutput();

    WNDCLASSEXA windowClass{};
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    int musicMode;
    HMUSIC music = 0;
    HSTREAM stream = 0;
    int width = 0;
    int height = 0;
    int windowMode;
    int showCommand = 0;
    HWND window = nullptr;
};
