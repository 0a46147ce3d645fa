// The posted-message queue with Windows semantics: SDL's key and window
// events become WM_KEYDOWN, WM_SYSKEYDOWN and WM_CLOSE messages (a player's
// keys go to the player instead); Peek, Get,
// Post, Send and Dispatch; the quit flag delivered once the queue is empty;
// and DefWindowProc's closing on WM_CLOSE and Alt+F4.
#include <deque>
#include <string>

#include "win32/messages.h"

#include "base/signals.h"
#include "host/video.h"
#include "platform/options.h"
#include "platform/player.h"
#include "platform/trace.h"
#include "run/frame.h"
#include "win32/windows.h"

namespace {

struct MessageState {
    std::deque<MSG> queue;
    bool quitPosted = false;
    int quitCode = 0;
    bool interruptPosted = false;
};

MessageState& State() {
    static MessageState state;
    return state;
}

// Windows virtual-key codes of the keys a user can press here.
int VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    switch (key) {
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_RETURN: return VK_RETURN;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_BACKSPACE: return 0x08;
        case SDLK_TAB: return 0x09;
        case SDLK_PAGEUP: return 0x21;
        case SDLK_PAGEDOWN: return 0x22;
        case SDLK_HOME: return 0x24;
        case SDLK_COMMA: return 0xBC;
        case SDLK_PERIOD: return 0xBE;
        case SDLK_LEFTBRACKET: return 0xDB;
        case SDLK_RIGHTBRACKET: return 0xDD;
        case SDLK_EQUALS: case SDLK_PLUS: return 0xBB;  // the + key
        case SDLK_MINUS: return 0xBD;
        case SDLK_KP_PLUS: return 0x6B;
        case SDLK_KP_MINUS: return 0x6D;
        case SDLK_LEFT: return 0x25;
        case SDLK_UP: return 0x26;
        case SDLK_RIGHT: return 0x27;
        case SDLK_DOWN: return 0x28;
        case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
        case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
        case SDLK_LALT: case SDLK_RALT: return 0x12;
        default: return 0;
    }
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    State().queue.push_back(msg);
}

MSG QuitMessage() {
    MSG msg{};
    msg.message = WM_QUIT;
    msg.wParam = static_cast<WPARAM>(State().quitCode);
    return msg;
}

}  // namespace

namespace platform::win32 {

void CloseWhenRunIsDone(bool runIsDone) {
    if (runIsDone && LiveWindow()) PostMessageA(LiveWindow(), WM_CLOSE, 0, 0);
}


void PumpEvents() {
    MessageState& s = State();
    if (base::Interrupted() && !s.interruptPosted && LiveWindow()) {
        s.interruptPosted = true;
        Post(LiveWindow(), WM_CLOSE, 0, 0);
    }
    if (!host::VideoReady()) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        PlatformWindow* window = LiveWindow();
        if (!window) continue;
        switch (event.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                int vk = VirtualKey(event.key.keysym.sym);
                if (!vk) break;
                bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
                bool down = event.type == SDL_KEYDOWN;
                // A player's keys are the player's: the program's window never sees them.
                if (!alt && player::On() && player::IsPlayerKey(static_cast<uint32_t>(vk))) {
                    if (down) player::QueueKey(static_cast<uint32_t>(vk));
                    break;
                }
                UINT message = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
                Post(window, message, static_cast<WPARAM>(vk), event.key.repeat ? 0x40000000 : 0);
                break;
            }
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) Post(window, WM_CLOSE, 0, 0);
                break;
            case SDL_QUIT:
                Post(window, WM_CLOSE, 0, 0);
                break;
            default:
                break;
        }
    }
}

}  // namespace platform::win32

BOOL PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT removeFlags) {
    platform::win32::CloseWhenRunIsDone(platform::run::PresentFrame());
    platform::win32::PumpEvents();
    MessageState& s = State();
    if (!s.queue.empty()) {
        *msg = s.queue.front();
        if (removeFlags & PM_REMOVE) s.queue.pop_front();
        return TRUE;
    }
    if (s.quitPosted) {
        *msg = QuitMessage();
        if (removeFlags & PM_REMOVE) s.quitPosted = false;
        return TRUE;
    }
    return FALSE;
}

BOOL GetMessageA(MSG* msg, HWND, UINT, UINT) {
    platform::win32::CloseWhenRunIsDone(platform::run::PresentFrame());
    MessageState& s = State();
    for (;;) {
        platform::win32::PumpEvents();
        if (!s.queue.empty()) {
            *msg = s.queue.front();
            s.queue.pop_front();
            return TRUE;
        }
        if (s.quitPosted) {
            s.quitPosted = false;
            *msg = QuitMessage();
            platform::TraceLine("{\"type\":\"quit\",\"code\":" + std::to_string(msg->wParam) + "}");
            return FALSE;
        }
        if (!platform::host::VideoReady() || platform::Options().headless || !platform::win32::LiveWindow()) return FALSE;
        SDL_WaitEventTimeout(nullptr, 50);
    }
}

// Character messages are of no use to this program; keys arrive as key messages.
BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd || !msg->hwnd->alive || !msg->hwnd->procedure) return 0;
    return msg->hwnd->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window || !window->alive) return FALSE;
    Post(window, message, wParam, lParam);
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window || !window->alive || !window->procedure) return 0;
    return window->procedure(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    State().quitPosted = true;
    State().quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4) PostMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        default:
            return 0;
    }
}
