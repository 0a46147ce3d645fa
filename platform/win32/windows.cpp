// Window classes and windows on SDL2: registration (which starts SDL's
// video), creation and destruction, showing, focus, the cursor, the
// full-screen switch and message boxes.
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "win32/windows.h"

#include "gl/backend.h"
#include "host/host.h"
#include "host/video.h"
#include "platform/devices.h"
#include "platform/options.h"
#include "platform/trace.h"
#include "run/frame.h"

namespace {

struct WindowState {
    std::map<std::string, WNDCLASSEXA> classes;
    std::vector<std::unique_ptr<PlatformWindow>> windows;
    int cursorCount = 0;
};

WindowState& State() {
    static WindowState state;
    return state;
}

// A window for the first kind of GL context the driver makes one for (the
// window is where SDL finds out): the fixed function's compatibility
// context, or for the shaders the kinds the host lists. When there is none,
// the message names each kind tried with the driver's reason.
SDL_Window* CreateGlWindow(const char* title, int width, int height, Uint32 flags, const char** contextName) {
    std::vector<platform::host::GlContextKind> kinds = {{SDL_GL_CONTEXT_PROFILE_COMPATIBILITY, 2, 1, "OpenGL"}};
    if (platform::gl::ShadersDraw()) kinds = platform::host::ShaderContexts();
    std::string tried;
    for (const platform::host::GlContextKind& kind : kinds) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, kind.profileMask);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, kind.majorVersion);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, kind.minorVersion);
        int display = platform::WindowDisplay();
        SDL_Window* sdl = SDL_CreateWindow(title ? title : "", SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                                           SDL_WINDOWPOS_CENTERED_DISPLAY(display), width, height, flags);
        if (sdl) {
            *contextName = kind.name;
            return sdl;
        }
        tried += std::string(tried.empty() ? "" : "; nor for an ") + kind.name + " context: " + SDL_GetError();
    }
    std::fprintf(stderr, "pqn: cannot open a window for an %s\n", tried.c_str());
    return nullptr;
}

// SDL's windows go before SDL does.
void DestroySdlWindows() {
    for (auto& window : State().windows)
        if (window->sdl) SDL_DestroyWindow(window->sdl), window->sdl = nullptr;
}

}  // namespace

namespace platform::win32 {

PlatformWindow* LiveWindow() {
    for (auto& w : State().windows)
        if (w->alive) return w.get();
    return nullptr;
}

}  // namespace platform::win32

using platform::Options;

WORD RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) return 0;
    platform::host::StartVideo();
    if (!platform::host::VideoReady()) return 0;
    platform::host::SetBeforeVideoQuits(DestroySdlWindows);
    State().classes[windowClass->lpszClassName] = *windowClass;
    return static_cast<WORD>(State().classes.size());
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR title, DWORD style, int, int, int width,
                     int height, HWND, HMENU, HINSTANCE, void*) {
    WindowState& s = State();
    auto found = s.classes.find(className ? className : "");
    if (found == s.classes.end() || width <= 0 || height <= 0) return nullptr;
    bool framed = (style & WS_CAPTION) == WS_CAPTION || Options().forceWindowed;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN;
    if (!framed) flags |= SDL_WINDOW_BORDERLESS;
    if (platform::host::WindowResizable(framed, Options().headless)) flags |= SDL_WINDOW_RESIZABLE;
    const char* contextName = "OpenGL";
    SDL_Window* sdl = CreateGlWindow(title, width, height, flags, &contextName);
    if (!sdl) return nullptr;
    auto window = std::make_unique<PlatformWindow>();
    window->sdl = sdl;
    window->procedure = found->second.lpfnWndProc;
    window->width = width;
    window->height = height;
    window->contextName = contextName;
    if (style & WS_VISIBLE) SDL_ShowWindow(sdl);
    s.windows.push_back(std::move(window));
    return s.windows.back().get();
}

BOOL DestroyWindow(HWND window) {
    if (!window || !window->alive) return FALSE;
    // Its last frame is shown (and captured) before it goes.
    platform::run::PresentFrame();
    if (window->procedure) window->procedure(window, WM_DESTROY, 0, 0);
    window->alive = false;
    if (window->sdl) SDL_DestroyWindow(window->sdl);
    window->sdl = nullptr;
    return TRUE;
}

BOOL ShowWindow(HWND window, int) {
    if (!window || !window->sdl) return FALSE;
    SDL_ShowWindow(window->sdl);
    return TRUE;
}

BOOL UpdateWindow(HWND window) { return window && window->alive; }

HWND SetFocus(HWND window) {
    if (window && window->sdl && !Options().headless) SDL_RaiseWindow(window->sdl);
    return window;
}

int ShowCursor(BOOL show) {
    WindowState& s = State();
    s.cursorCount += show ? 1 : -1;
    if (platform::host::VideoReady() && !Options().forceWindowed) SDL_ShowCursor(s.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return s.cursorCount;
}

HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }
HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) { return const_cast<char*>(name); }
HBRUSH GetSysColorBrush(int index) { return reinterpret_cast<HBRUSH>(static_cast<intptr_t>(index + 1)); }

// Full screen fills the desktop without a mode switch and letterboxes the
// 640x480 picture into it; a null mode returns to a window. The borderless
// window is first moved and sized over its whole display: an X server with no
// window manager ignores the full-screen request (SDL then believes the window
// is as large as the display while it is not, and shows a cropped piece of the
// picture), but it honours a plain move and resize.
long ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    PlatformWindow* window = platform::win32::LiveWindow();
    if (!window || !window->sdl || Options().headless || Options().forceWindowed ||
        !platform::host::ProgramSwitchesFullScreen())
        return DISP_CHANGE_SUCCESSFUL;
    if (mode && (flags & CDS_FULLSCREEN)) {
        SDL_Rect display;
        if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window->sdl), 0), &display) == 0) {
            SDL_SetWindowPosition(window->sdl, display.x, display.y);
            SDL_SetWindowSize(window->sdl, display.w, display.h);
        }
        window->fullscreen = SDL_SetWindowFullscreen(window->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    } else if (!mode && window->fullscreen) {
        SDL_SetWindowFullscreen(window->sdl, 0);
        window->fullscreen = false;
    }
    return DISP_CHANGE_SUCCESSFUL;
}

// A headless run, or one whose box cannot be shown, prints the text instead.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT) {
    std::string body = text ? text : "";
    std::string title = caption ? caption : "Error";
    platform::RecordMessageBox(body);
    bool shown = false;
    if (!Options().headless && platform::host::VideoReady()) {
        SDL_Window* parent = owner && owner->alive ? owner->sdl : nullptr;
        shown = SDL_ShowSimpleMessageBox(0, title.c_str(), body.c_str(), parent) == 0;
    }
    if (!shown) std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
    return IDOK;
}
