// The Windows calls of win32.h on SDL2 and OpenGL, and the run-time services
// of runtime.h (virtual clock, trace, screenshots, message box record).
//
// The program draws into a 640x480 framebuffer object that stands for the
// window's client area. A swap latches the finished frame; it is shown at the
// program's next look at its messages or next swap, so that GDI text drawn
// after the swap appears on the frame it belongs to, as on Windows. Showing a
// frame scales it to the real window with the aspect kept (black bars), which
// is how full screen works on displays that will not switch to 640x480.
#include "win32.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bass.h"
#include "bench.h"
#include "capture.h"
#include "internal.h"
#include "png_file.h"
#include "runtime.h"

struct PlatformWindow {
    SDL_Window* sdl = nullptr;
    WNDPROC procedure = nullptr;
    int width = 0;
    int height = 0;
    bool alive = true;
    bool fullscreen = false;
};

struct PlatformContext {
    SDL_GLContext sdl = nullptr;
    PlatformWindow* window = nullptr;
    GLuint framebuffer = 0;
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    GLuint underTextFramebuffer = 0;  // what lies under the GDI text while it is shown
    GLuint underTextBuffer = 0;
    GLuint readBuffers[2] = {0, 0};   // frames on their way back to the CPU
    bool readPending[2] = {false, false};
    int readScene[2] = {0, 0};
    GLenum readFormat = GL_RGB;
    int nextRead = 0;
};

constexpr int kUnderTextHeightPx = 64;

namespace {

// Framebuffer object entry points, fetched once a context exists.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
    PFNGLWINDOWPOS2IPROC windowPos2i = nullptr;
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLMAPBUFFERPROC mapBuffer = nullptr;
    PFNGLUNMAPBUFFERPROC unmapBuffer = nullptr;
};

struct OverlayText {
    int xPx, yPx;
    std::string text;
};

// How a frame run while warping is drawn.
enum class WarpDraw { None, Unrasterised, Full };

struct WarpFrame {
    uint64_t frame;  // of a full run: swaps since the music started
    platform::MusicPosition position;
    WarpDraw draw;
};

struct PlatformState {
    platform::RunOptions options;
    bool sdlReady = false;
    std::map<std::string, WNDCLASSEXA> classes;
    std::vector<std::unique_ptr<PlatformWindow>> windows;
    std::deque<MSG> queue;
    bool quitPosted = false;
    int quitCode = 0;
    int cursorCount = 0;
    PIXELFORMATDESCRIPTOR pixelFormat{};
    PlatformContext* current = nullptr;
    FramebufferCalls fb;

    // Clock
    int64_t tickOffset = 0;
    uint64_t swaps = 0;
    uint64_t swapsAtMusicStart = 0;
    uint32_t ticksAtMusicStart = 0;
    bool musicStarted = false;

    // Presentation
    bool framePending = false;
    std::vector<OverlayText> overlay;
    uint64_t presented = 0;
    int frameScene = 0;
    platform::MusicPosition framePosition{0, 0};
    bool frameNoted = false;
    uint64_t tracedFrames = 0;
    size_t nextShot = 0;

    // Text
    FT_Library fontLibrary = nullptr;
    FT_Face font = nullptr;
    bool fontTried = false;

    FILE* trace = nullptr;
    std::vector<std::string> boxes;

    // Running earlier scenes in a moment (see BeginWarp)
    bool warping = false;
    uint64_t warpBaseSwaps = 0;     // swaps when the warp began, where a full run starts its music
    uint64_t warpNextFrame = 0;     // the full-run frame the next scene starts on
    uint64_t warpSwapsDone = 0;     // full-run frames a warp stood for, until the music starts
    std::vector<WarpFrame> warpFrames;  // still to come, last first
    uint64_t warpFrame = 0;
    uint32_t warpTicks = 0;
    platform::MusicPosition warpPosition{0, 0};
    WarpDraw warpDraw = WarpDraw::Full;
    bool interruptPosted = false;
};

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) { g_interrupted = true; }

PlatformState& State() {
    static PlatformState state;
    return state;
}

void EnsureSdl() {
    PlatformState& s = State();
    if (s.sdlReady) return;
    if (s.options.headless) SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "pqn: cannot start SDL video: %s\n", SDL_GetError());
        return;
    }
    s.sdlReady = true;
    // Held for the whole run: the GL driver is then loaded once, not again for every window.
    SDL_GL_LoadLibrary(nullptr);
}

PlatformWindow* LiveWindow() {
    for (auto& w : State().windows)
        if (w->alive) return w.get();
    return nullptr;
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

// Turns waiting SDL events into posted window messages.
void PumpEvents() {
    PlatformState& s = State();
    if (g_interrupted && !s.interruptPosted && LiveWindow()) {
        s.interruptPosted = true;
        Post(LiveWindow(), WM_CLOSE, 0, 0);
    }
    if (!s.sdlReady) return;
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

// ---- text -----------------------------------------------------------------

const char* const kFontCandidates[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
};

FT_Face Font() {
    PlatformState& s = State();
    if (s.fontTried) return s.font;
    s.fontTried = true;
    if (FT_Init_FreeType(&s.fontLibrary) != 0) return nullptr;
    for (const char* path : kFontCandidates) {
        if (FT_New_Face(s.fontLibrary, path, 0, &s.font) == 0) {
            FT_Set_Pixel_Sizes(s.font, 0, 13);
            return s.font;
        }
    }
    std::fprintf(stderr, "pqn: no font found for the position line (install fonts-dejavu-core)\n");
    return nullptr;
}

// Black text on an opaque white box, as GDI draws by default; RGB rows, top first.
std::vector<uint8_t> RasteriseText(const std::string& text, int* widthPx, int* heightPx) {
    FT_Face face = Font();
    *widthPx = *heightPx = 0;
    if (!face) return {};
    int ascent = static_cast<int>(face->size->metrics.ascender >> 6);
    int height = static_cast<int>((face->size->metrics.ascender - face->size->metrics.descender) >> 6);
    int width = 0;
    for (unsigned char c : text)
        if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) == 0) width += static_cast<int>(face->glyph->advance.x >> 6);
    if (width <= 0 || height <= 0) return {};
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 255);
    int penX = 0;
    for (unsigned char c : text) {
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
        FT_GlyphSlot g = face->glyph;
        for (unsigned row = 0; row < g->bitmap.rows; ++row) {
            int y = ascent - g->bitmap_top + static_cast<int>(row);
            if (y < 0 || y >= height) continue;
            for (unsigned col = 0; col < g->bitmap.width; ++col) {
                int x = penX + g->bitmap_left + static_cast<int>(col);
                if (x < 0 || x >= width) continue;
                uint8_t coverage = g->bitmap.buffer[row * g->bitmap.pitch + col];
                uint8_t* px = &rgb[(static_cast<size_t>(y) * width + x) * 3];
                uint8_t level = static_cast<uint8_t>(px[0] * (255 - coverage) / 255);
                px[0] = px[1] = px[2] = level;
            }
        }
        penX += static_cast<int>(g->advance.x >> 6);
    }
    *widthPx = width;
    *heightPx = height;
    return rgb;
}

// ---- presentation ------------------------------------------------------------

// Draws the GDI text of this frame into the window surface. What lies under
// it is first copied aside on the GL side, so that RestoreUnderText can put it
// back after the frame is shown: the next frame does not inherit the text.
// Returns the regions copied (GL window coordinates).
struct TextRegion {
    int x, y, w, h;
};

void SetUpPixelDrawing() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

void CopyRegion(GLuint from, GLuint to, TextRegion source, int toX, int toY) {
    FramebufferCalls& fb = State().fb;
    fb.bindFramebuffer(GL_READ_FRAMEBUFFER, from);
    fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    fb.blitFramebuffer(source.x, source.y, source.x + source.w, source.y + source.h, toX, toY, toX + source.w,
                       toY + source.h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

std::vector<TextRegion> DrawOverlay(PlatformContext* context) {
    PlatformState& s = State();
    std::vector<TextRegion> saved;
    if (s.overlay.empty() || !s.fb.windowPos2i) return saved;
    int surfaceHeight = context->window->height;
    SetUpPixelDrawing();
    glPixelZoom(1.0f, -1.0f);
    int stackedPx = 0;
    for (const OverlayText& t : s.overlay) {
        int w, h;
        std::vector<uint8_t> rgb = RasteriseText(t.text, &w, &h);
        if (rgb.empty() || stackedPx + h > kUnderTextHeightPx) continue;
        TextRegion region{t.xPx, surfaceHeight - t.yPx - h, std::min(w, context->window->width), h};
        CopyRegion(context->framebuffer, context->underTextFramebuffer, region, 0, stackedPx);
        stackedPx += h;
        saved.push_back(region);
        s.fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
        s.fb.windowPos2i(t.xPx, surfaceHeight - t.yPx);
        glDrawPixels(w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    }
    glPopClientAttrib();
    glPopAttrib();
    return saved;
}

void RestoreUnderText(PlatformContext* context, const std::vector<TextRegion>& saved) {
    if (saved.empty()) return;
    glPushAttrib(GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    int stackedPx = 0;
    for (const TextRegion& region : saved) {
        CopyRegion(context->underTextFramebuffer, context->framebuffer, {0, stackedPx, region.w, region.h}, region.x, region.y);
        stackedPx += region.h;
    }
    State().fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    glPopAttrib();
}

// The window surface as RGB rows, top first.
std::vector<uint8_t> ReadSurface(int width, int height) {
    size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> rgb(rowBytes * height);
    std::vector<uint8_t> flipped(rgb.size());
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, flipped.data());
    glPopClientAttrib();
    for (int y = 0; y < height; ++y) std::memcpy(&rgb[y * rowBytes], &flipped[(height - 1 - y) * rowBytes], rowBytes);
    return rgb;
}

// Hands a frame that has come back from GL to the capture and the benchmark.
void DeliverReadBack(PlatformContext* context, int slot) {
    PlatformState& s = State();
    int w = context->window->width, h = context->window->height;
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * (context->readFormat == GL_RGB ? 3 : 4));
    s.fb.bindBuffer(GL_PIXEL_PACK_BUFFER, context->readBuffers[slot]);
    const uint8_t* mapped = static_cast<const uint8_t*>(s.fb.mapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
    if (mapped) {
        std::memcpy(pixels.data(), mapped, pixels.size());
        s.fb.unmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    s.fb.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    context->readPending[slot] = false;
    if (platform::capture::Active()) platform::capture::Frame(std::move(pixels), w, h);
    if (s.options.bench) platform::bench::FramePresented(context->readScene[slot]);
}

// Starts reading this frame back and delivers the one before it, so that GL
// draws the next frame while this one is still on its way.
void ReadBackAsync(PlatformContext* context, GLenum format, int scene) {
    PlatformState& s = State();
    int w = context->window->width, h = context->window->height;
    if (!context->readBuffers[0]) {
        s.fb.genBuffers(2, context->readBuffers);
        for (GLuint buffer : context->readBuffers) {
            s.fb.bindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
            s.fb.bufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(w) * h * 4, nullptr, GL_STREAM_READ);
        }
    }
    int slot = context->nextRead;
    context->readFormat = format;
    s.fb.bindBuffer(GL_PIXEL_PACK_BUFFER, context->readBuffers[slot]);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, format, GL_UNSIGNED_BYTE, nullptr);
    glPopClientAttrib();
    s.fb.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    context->readPending[slot] = true;
    context->readScene[slot] = scene;
    context->nextRead ^= 1;
    if (context->readPending[context->nextRead]) DeliverReadBack(context, context->nextRead);
}

void FinishReadBacks(PlatformContext* context) {
    for (int i = 0; i < 2; ++i) {
        int slot = context->nextRead;
        if (context->readPending[slot]) DeliverReadBack(context, slot);
        context->nextRead ^= 1;
    }
}

bool PositionReached(platform::MusicPosition frame, platform::MusicPosition target) {
    return frame.order > target.order || (frame.order == target.order && frame.row >= target.row);
}

void SaveShots(PlatformContext* context) {
    PlatformState& s = State();
    if (!s.frameNoted || s.nextShot >= s.options.shots.size()) return;
    if (!PositionReached(s.framePosition, s.options.shots[s.nextShot])) return;
    int w = context->window->width, h = context->window->height;
    std::vector<uint8_t> rgb = ReadSurface(w, h);
    while (s.nextShot < s.options.shots.size() && PositionReached(s.framePosition, s.options.shots[s.nextShot])) {
        const platform::MusicPosition& target = s.options.shots[s.nextShot++];
        char name[64];
        std::snprintf(name, sizeof name, "/shot-%03u-%02u.png", target.order, target.row);
        std::string path = s.options.shotDir + name;
        if (!platform::WritePng(path, w, h, 3, rgb.data()))
            std::fprintf(stderr, "pqn: cannot write %s\n", path.c_str());
    }
}

void ShowOnScreen(PlatformContext* context) {
    PlatformState& s = State();
    PlatformWindow* window = context->window;
    int drawableW = 0, drawableH = 0;
    SDL_GL_GetDrawableSize(window->sdl, &drawableW, &drawableH);
    if (drawableW <= 0 || drawableH <= 0) return;
    // Largest 640x480-shaped rectangle that fits, centred.
    int w = drawableW, h = drawableW * window->height / window->width;
    if (h > drawableH) {
        h = drawableH;
        w = drawableH * window->width / window->height;
    }
    int x = (drawableW - w) / 2, y = (drawableH - h) / 2;
    glPushAttrib(GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    s.fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    bool exact = w == window->width && h == window->height;
    s.fb.blitFramebuffer(0, 0, window->width, window->height, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT,
                         exact ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(window->sdl);
    s.fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    glPopAttrib();
}

// Shows the latched frame with its text: on screen, or only to the screenshots when headless.
void PresentPending() {
    PlatformState& s = State();
    if (!s.framePending) return;
    s.framePending = false;
    PlatformContext* context = s.current;
    if (!context || !context->framebuffer) return;
    std::vector<TextRegion> saved = DrawOverlay(context);
    SaveShots(context);
    bool capturing = platform::capture::Active() && s.musicStarted;
    if (capturing || (s.options.bench && s.musicStarted)) {
        GLenum format = platform::capture::WantsBgra() ? GL_BGRA : GL_RGB;
        ReadBackAsync(context, format, s.frameNoted ? s.frameScene : 0);
    }
    if (!s.options.headless) ShowOnScreen(context);
    RestoreUnderText(context, saved);
    s.overlay.clear();
    s.frameNoted = false;
    ++s.presented;
}

bool CreateSurface(PlatformContext* context) {
    PlatformState& s = State();
    FramebufferCalls& fb = s.fb;
#define LOAD(field, name) fb.field = reinterpret_cast<decltype(fb.field)>(SDL_GL_GetProcAddress(name))
    LOAD(genFramebuffers, "glGenFramebuffers");
    LOAD(deleteFramebuffers, "glDeleteFramebuffers");
    LOAD(bindFramebuffer, "glBindFramebuffer");
    LOAD(genRenderbuffers, "glGenRenderbuffers");
    LOAD(deleteRenderbuffers, "glDeleteRenderbuffers");
    LOAD(bindRenderbuffer, "glBindRenderbuffer");
    LOAD(renderbufferStorage, "glRenderbufferStorage");
    LOAD(framebufferRenderbuffer, "glFramebufferRenderbuffer");
    LOAD(checkFramebufferStatus, "glCheckFramebufferStatus");
    LOAD(blitFramebuffer, "glBlitFramebuffer");
    LOAD(windowPos2i, "glWindowPos2i");
    LOAD(genBuffers, "glGenBuffers");
    LOAD(deleteBuffers, "glDeleteBuffers");
    LOAD(bindBuffer, "glBindBuffer");
    LOAD(bufferData, "glBufferData");
    LOAD(mapBuffer, "glMapBuffer");
    LOAD(unmapBuffer, "glUnmapBuffer");
#undef LOAD
    if (!fb.genFramebuffers || !fb.bindFramebuffer || !fb.blitFramebuffer || !fb.renderbufferStorage) {
        std::fprintf(stderr, "pqn: the OpenGL driver has no framebuffer objects\n");
        return false;
    }
    int w = context->window->width, h = context->window->height;
    auto attach = [&](GLuint* buffer, GLenum format, int height, GLenum attachment) {
        fb.genRenderbuffers(1, buffer);
        fb.bindRenderbuffer(GL_RENDERBUFFER, *buffer);
        fb.renderbufferStorage(GL_RENDERBUFFER, format, w, height);
        fb.framebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, *buffer);
    };
    fb.genFramebuffers(1, &context->framebuffer);
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    attach(&context->colorBuffer, GL_RGBA8, h, GL_COLOR_ATTACHMENT0);
    attach(&context->depthBuffer, s.pixelFormat.cDepthBits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16, h,
           GL_DEPTH_ATTACHMENT);
    bool complete = fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    fb.genFramebuffers(1, &context->underTextFramebuffer);
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->underTextFramebuffer);
    attach(&context->underTextBuffer, GL_RGBA8, kUnderTextHeightPx, GL_COLOR_ATTACHMENT0);
    complete = complete && fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    if (!complete || !fb.genBuffers || !fb.mapBuffer) {
        std::fprintf(stderr, "pqn: cannot create the %dx%d drawing surface\n", w, h);
        return false;
    }
    glViewport(0, 0, w, h);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

// ---- warp timeline -----------------------------------------------------------

using platform::internal::kSampleRate;

uint64_t OrderStartSample(const std::vector<platform::OrderTiming>& timing, uint32_t order) {
    return static_cast<uint64_t>(std::max<int64_t>(timing[order].startSample, 0));
}

// Rows are taken as evenly spaced within an order.
uint64_t RowStartSample(const std::vector<platform::OrderTiming>& timing, uint32_t order, uint32_t row) {
    uint64_t start = OrderStartSample(timing, order), next = OrderStartSample(timing, order + 1);
    uint64_t span = next > start ? next - start : 0;
    return start + span * row / std::max<uint32_t>(timing[order].rows, 1);
}

// The first frame of a full run whose music has reached `sample`.
uint64_t FirstFrameAt(uint64_t sample, uint64_t fps) { return (sample * fps + kSampleRate - 1) / kSampleRate; }

// The row playing at `sample`, between `fromOrder` and row 0 of `toOrder`.
platform::MusicPosition PositionAtSample(const std::vector<platform::OrderTiming>& timing, uint32_t fromOrder,
                                         uint32_t toOrder, uint64_t sample) {
    uint32_t order = fromOrder;
    while (order < toOrder && OrderStartSample(timing, order + 1) <= sample) ++order;
    if (order == toOrder) return {toOrder, 0};
    uint32_t row = 0;
    while (row + 1 < timing[order].rows && RowStartSample(timing, order, row + 1) <= sample) ++row;
    return {order, row};
}

// The tick count of a full run at one of its frames.
uint32_t WarpTicksAt(uint64_t frame) {
    PlatformState& s = State();
    return static_cast<uint32_t>((s.warpBaseSwaps + frame) * 1000 / static_cast<uint64_t>(s.options.framesPerSecond));
}

void StartWarpFrame() {
    PlatformState& s = State();
    const WarpFrame& next = s.warpFrames.back();
    s.warpFrame = next.frame;
    s.warpPosition = next.position;
    s.warpTicks = WarpTicksAt(next.frame);
    s.warpDraw = next.draw;
    if (s.current) {
        if (next.draw == WarpDraw::Unrasterised) glEnable(GL_RASTERIZER_DISCARD);
        else glDisable(GL_RASTERIZER_DISCARD);
    }
    s.warpFrames.pop_back();
}

}  // namespace

// ---- windows ---------------------------------------------------------------

WORD RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) return 0;
    EnsureSdl();
    if (!State().sdlReady) return 0;
    State().classes[windowClass->lpszClassName] = *windowClass;
    return static_cast<WORD>(State().classes.size());
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR title, DWORD style, int, int, int width,
                     int height, HWND, HMENU, HINSTANCE, void*) {
    PlatformState& s = State();
    auto found = s.classes.find(className ? className : "");
    if (found == s.classes.end() || width <= 0 || height <= 0) return nullptr;
    bool framed = (style & WS_CAPTION) == WS_CAPTION || s.options.forceWindowed;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN;
    if (!framed) flags |= SDL_WINDOW_BORDERLESS;
    if (framed && !s.options.headless) flags |= SDL_WINDOW_RESIZABLE;
    SDL_Window* sdl = SDL_CreateWindow(title ? title : "", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                       width, height, flags);
    if (!sdl) {
        std::fprintf(stderr, "pqn: cannot open a window: %s\n", SDL_GetError());
        return nullptr;
    }
    auto window = std::make_unique<PlatformWindow>();
    window->sdl = sdl;
    window->procedure = found->second.lpfnWndProc;
    window->width = width;
    window->height = height;
    if (style & WS_VISIBLE) SDL_ShowWindow(sdl);
    s.windows.push_back(std::move(window));
    return s.windows.back().get();
}

BOOL DestroyWindow(HWND window) {
    if (!window || !window->alive) return FALSE;
    PresentPending();
    SendMessageA(window, WM_DESTROY, 0, 0);
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
    if (window && window->sdl && !State().options.headless) SDL_RaiseWindow(window->sdl);
    return window;
}

int ShowCursor(BOOL show) {
    PlatformState& s = State();
    s.cursorCount += show ? 1 : -1;
    if (s.sdlReady && !s.options.forceWindowed) SDL_ShowCursor(s.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return s.cursorCount;
}

HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }
HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) { return const_cast<char*>(name); }
HBRUSH GetSysColorBrush(int index) { return reinterpret_cast<HBRUSH>(static_cast<intptr_t>(index + 1)); }

// Full screen fills the desktop without a mode switch and letterboxes the
// 640x480 picture into it; a null mode returns to a window.
long ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    PlatformWindow* window = LiveWindow();
    PlatformState& s = State();
    if (!window || !window->sdl || s.options.headless || s.options.forceWindowed) return DISP_CHANGE_SUCCESSFUL;
    if (mode && (flags & CDS_FULLSCREEN)) {
        window->fullscreen = SDL_SetWindowFullscreen(window->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    } else if (!mode && window->fullscreen) {
        SDL_SetWindowFullscreen(window->sdl, 0);
        window->fullscreen = false;
    }
    return DISP_CHANGE_SUCCESSFUL;
}

// ---- messages ----------------------------------------------------------------

BOOL PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT removeFlags) {
    PresentPending();
    PumpEvents();
    PlatformState& s = State();
    if (s.warping && !s.warpFrames.empty()) StartWarpFrame();
    if (!s.queue.empty()) {
        *msg = s.queue.front();
        if (removeFlags & PM_REMOVE) s.queue.pop_front();
        return TRUE;
    }
    if (s.quitPosted) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(s.quitCode);
        if (removeFlags & PM_REMOVE) s.quitPosted = false;
        return TRUE;
    }
    return FALSE;
}

BOOL GetMessageA(MSG* msg, HWND, UINT, UINT) {
    PresentPending();
    PlatformState& s = State();
    for (;;) {
        PumpEvents();
        if (!s.queue.empty()) {
            *msg = s.queue.front();
            s.queue.pop_front();
            return TRUE;
        }
        if (s.quitPosted) {
            s.quitPosted = false;
            *msg = MSG{};
            msg->message = WM_QUIT;
            msg->wParam = static_cast<WPARAM>(s.quitCode);
            return FALSE;
        }
        if (!s.sdlReady || s.options.headless || !LiveWindow()) return FALSE;
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

// ---- device context and GL ---------------------------------------------------

HDC GetDC(HWND window) { return window && window->alive ? window : nullptr; }
int ReleaseDC(HWND, HDC) { return 1; }

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor) {
    if (!dc || !descriptor || !(descriptor->dwFlags & PFD_SUPPORT_OPENGL)) return 0;
    return 1;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
    if (!dc || format != 1 || !descriptor) return FALSE;
    State().pixelFormat = *descriptor;
    return TRUE;
}

HGLRC wglCreateContext(HDC dc) {
    if (!dc || !dc->sdl) return nullptr;
    SDL_GLContext sdl = SDL_GL_CreateContext(dc->sdl);
    if (!sdl) {
        std::fprintf(stderr, "pqn: cannot create an OpenGL context: %s\n", SDL_GetError());
        return nullptr;
    }
    auto* context = new PlatformContext;
    context->sdl = sdl;
    context->window = dc;
    if (!State().options.headless) SDL_GL_SetSwapInterval(1);
    if (!CreateSurface(context)) {
        SDL_GL_DeleteContext(sdl);
        delete context;
        return nullptr;
    }
    State().current = context;
    return context;
}

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    if (!context) {
        State().current = nullptr;
        return TRUE;
    }
    if (!dc || !dc->sdl || SDL_GL_MakeCurrent(dc->sdl, context->sdl) != 0) return FALSE;
    State().fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    State().current = context;
    return TRUE;
}

BOOL wglDeleteContext(HGLRC context) {
    if (!context) return FALSE;
    PlatformState& s = State();
    if (s.current == context) {
        PresentPending();
        FinishReadBacks(context);
    }
    if (s.fb.deleteFramebuffers && context->framebuffer) {
        s.fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
        s.fb.deleteFramebuffers(1, &context->framebuffer);
        s.fb.deleteFramebuffers(1, &context->underTextFramebuffer);
        s.fb.deleteRenderbuffers(1, &context->colorBuffer);
        s.fb.deleteRenderbuffers(1, &context->depthBuffer);
        s.fb.deleteRenderbuffers(1, &context->underTextBuffer);
        if (context->readBuffers[0]) s.fb.deleteBuffers(2, context->readBuffers);
    }
    SDL_GL_DeleteContext(context->sdl);
    if (s.current == context) s.current = nullptr;
    delete context;
    return TRUE;
}

BOOL SwapBuffers(HDC dc) {
    PlatformState& s = State();
    if (!dc || !dc->alive || !s.current) return FALSE;
    PresentPending();
    glFlush();
    s.overlay.clear();
    if (s.warping) {
        s.warpTicks = WarpTicksAt(s.warpFrame + 1);  // a full run's clock moves on at its swap
        return TRUE;
    }
    s.framePending = true;
    ++s.swaps;
    if (s.options.headless && s.musicStarted) platform::AdvanceMusicTo(platform::internal::ShowSampleFramesNow());
    return TRUE;
}

// ---- GDI text and message boxes -------------------------------------------------

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    if (!dc || !dc->alive || !text || length < 0) return FALSE;
    State().overlay.push_back({x, y, std::string(text, static_cast<size_t>(length))});
    return TRUE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT) {
    PlatformState& s = State();
    std::string body = text ? text : "";
    std::string title = caption ? caption : "Error";
    s.boxes.push_back(body);
    platform::TraceLine("{\"type\":\"error\",\"text\":\"" + platform::JsonEscape(body) + "\"}");
    bool shown = false;
    if (!s.options.headless && s.sdlReady) {
        SDL_Window* parent = owner && owner->alive ? owner->sdl : nullptr;
        shown = SDL_ShowSimpleMessageBox(0, title.c_str(), body.c_str(), parent) == 0;
    }
    if (!shown) std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
    return IDOK;
}

// ---- clock ---------------------------------------------------------------------

static uint32_t RawTicks() {
    PlatformState& s = State();
    if (s.warping) return s.warpTicks;
    if (s.options.headless) return static_cast<uint32_t>(s.swaps * 1000 / static_cast<uint64_t>(s.options.framesPerSecond));
    return s.sdlReady ? SDL_GetTicks() : 0;
}

DWORD GetTickCount() { return static_cast<DWORD>(RawTicks() + static_cast<uint32_t>(State().tickOffset)); }

// ---- runtime.h and internal.h ------------------------------------------------------

namespace platform {

void Configure(const RunOptions& options) {
    State().options = options;
    if (State().options.framesPerSecond <= 0) State().options.framesPerSecond = 60;
    if (!options.traceFile.empty()) {
        State().trace = std::fopen(options.traceFile.c_str(), "w");
        if (!State().trace) std::fprintf(stderr, "pqn: cannot write the trace %s\n", options.traceFile.c_str());
    }
    if (State().options.bench) bench::Start();
    EnsureSdl();
}

const RunOptions& Options() { return State().options; }

void NoteFrame(int scene, uint32_t order, uint32_t row) {
    PlatformState& s = State();
    s.frameScene = scene;
    s.framePosition = {order, row};
    s.frameNoted = true;
    if (!s.trace || s.warping) return;
    char line[160];
    std::snprintf(line, sizeof line, "{\"type\":\"frame\",\"frame\":%llu,\"ms\":%u,\"scene\":%d,\"order\":%u,\"row\":%u}",
                  static_cast<unsigned long long>(s.tracedFrames++), ShowTimeMs(), scene, order, row);
    TraceLine(line);
}

const std::vector<std::string>& MessageBoxTexts() { return State().boxes; }

uint32_t ShowTimeMs() {
    PlatformState& s = State();
    if (!s.musicStarted) return 0;
    if (s.options.headless)
        return static_cast<uint32_t>((s.swaps - s.swapsAtMusicStart) * 1000 / static_cast<uint64_t>(s.options.framesPerSecond));
    return GetTickCount() - s.ticksAtMusicStart;
}

uint64_t PresentedFrames() { return State().presented; }

void TraceLine(const std::string& json) {
    FILE* trace = State().trace;
    if (!trace) return;
    std::fputs(json.c_str(), trace);
    std::fputc('\n', trace);
    std::fflush(trace);  // a trace is read while the program runs, and after a crash
}

std::string JsonEscape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void SetTickCountForTest(uint32_t ticks) { State().tickOffset = static_cast<int64_t>(ticks) - RawTicks(); }

void BeginWarp() {
    PlatformState& s = State();
    s.warping = true;
    s.framePending = false;
    s.warpBaseSwaps = s.swaps;
    s.warpNextFrame = 0;
    s.warpTicks = WarpTicksAt(0);
}

void WarpThrough(uint32_t fromOrder, uint32_t toOrder, const std::vector<OrderTiming>& timing) {
    PlatformState& s = State();
    s.warpFrames.clear();
    if (toOrder >= timing.size() || fromOrder > toOrder || timing[toOrder].startSample < 0) {
        s.warpFrames.push_back({s.warpNextFrame++, {toOrder, 0}, WarpDraw::None});  // no timing: straight to the end
        return;
    }
    const uint64_t fps = static_cast<uint64_t>(s.options.framesPerSecond);
    const uint64_t first = s.warpNextFrame;
    const uint64_t endSample = OrderStartSample(timing, toOrder);
    const uint64_t last = std::max(first, FirstFrameAt(endSample, fps));
    const uint64_t drawnFrom = FirstFrameAt(endSample > 2 * kSampleRate ? endSample - 2 * kSampleRate : 0, fps);
    std::vector<uint64_t> frames{first, last};
    for (uint32_t order = fromOrder; order < toOrder; ++order)
        for (uint32_t row = 0; row < timing[order].rows; ++row) {
            uint64_t frame = FirstFrameAt(RowStartSample(timing, order, row), fps);
            if (frame > first && frame < last) frames.push_back(frame);
        }
    for (uint64_t frame = std::max(first, drawnFrom); frame < last; ++frame) frames.push_back(frame);
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    // Filled last first, so the next frame is at the back.
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        WarpDraw draw = *frame == last ? WarpDraw::Full : *frame >= drawnFrom ? WarpDraw::Unrasterised : WarpDraw::None;
        uint64_t sample = *frame * kSampleRate / fps;
        s.warpFrames.push_back({*frame, PositionAtSample(timing, fromOrder, toOrder, sample), draw});
    }
    s.warpNextFrame = last + 1;
}

bool WarpDrawsThisFrame() { return !State().warping || State().warpDraw != WarpDraw::None; }

void EndWarp() {
    PlatformState& s = State();
    s.warping = false;
    s.warpFrames.clear();
    if (s.current) glDisable(GL_RASTERIZER_DISCARD);
    if (s.options.headless) {
        // The clock stands where a full run's would after the last warp frame.
        s.swaps = s.warpBaseSwaps + s.warpNextFrame;
        s.warpSwapsDone = s.warpNextFrame;
    } else {
        s.tickOffset += static_cast<int64_t>(s.warpTicks) - RawTicks();
    }
}

void CloseOnInterrupt() { std::signal(SIGINT, OnInterrupt); }

void Shutdown() {
    PlatformState& s = State();
    capture::Finish(g_interrupted);
    if (s.options.bench) bench::Report(s.options.benchJson);
    if (s.trace) std::fclose(s.trace);
    s.trace = nullptr;
    if (s.font) FT_Done_Face(s.font);
    if (s.fontLibrary) FT_Done_FreeType(s.fontLibrary);
    s.font = nullptr;
    s.fontLibrary = nullptr;
    s.fontTried = false;
}

namespace internal {

void MusicStartedPlaying() {
    PlatformState& s = State();
    s.musicStarted = true;
    s.swapsAtMusicStart = s.swaps - s.warpSwapsDone;
    s.warpSwapsDone = 0;
    s.ticksAtMusicStart = GetTickCount();
}

bool MusicHasStarted() { return State().musicStarted; }

uint64_t ShowSampleFramesNow() {
    PlatformState& s = State();
    return (s.swaps - s.swapsAtMusicStart) * static_cast<uint64_t>(kSampleRate) /
           static_cast<uint64_t>(s.options.framesPerSecond);
}

bool Headless() { return State().options.headless; }

bool Warping() { return State().warping; }

uint32_t WarpPosition() { return State().warpPosition.order | (State().warpPosition.row << 16); }

}  // namespace internal
}  // namespace platform
