// Window half of EngineWindow: class, window, full screen, device context, error box.
#include "EngineWindow.h"

static const char* const kClassName = "(c)Kestrel Window";

EngineWindow::EngineWindow(int musicMode, int windowMode) : musicMode(musicMode), windowMode(windowMode) {}

EngineWindow::~EngineWindow() { RestoreDisplay(); }

int EngineWindow::Create(int width, int height, HINSTANCE instance, int showCommand, const char* title) {
    this->width = width;
    this->height = height;
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, nullptr);
    windowClass.hIconSm = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kClassName;
    this->instance = instance;

    DWORD style = windowMode == 1 ? (WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN)
                                  : (WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                                     WS_THICKFRAME | WS_MAXIMIZEBOX);
    if (!RegisterClassExA(&windowClass)) return 0;
    window = CreateWindowExA(0, kClassName, title, style, CW_USEDEFAULT, 0, width, height, nullptr, nullptr,
                             instance, nullptr);
    EnterFullscreen();
    this->showCommand = showCommand;
    Show();
    return 1;
}

void EngineWindow::EnterFullscreen() {
    if (windowMode != 1) return;
    ShowCursor(FALSE);
    DEVMODEA mode{};
    mode.dmSize = 148;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
}

int EngineWindow::Show() {
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    SetFocus(window);
    return 1;
}

void EngineWindow::RestoreDisplay() {
    if (windowMode == 1) ChangeDisplaySettingsA(nullptr, 0);
}

HDC EngineWindow::GetDC() { return ::GetDC(window); }
int EngineWindow::GetWidth() { return width; }
int EngineWindow::GetHeight() { return height; }

void EngineWindow::WNDError(const char* text) { MessageBoxA(window, text, "Kestrel Error", MB_OK); }
