// The drawing surface: a framebuffer object that stands for the window's
// client area, what the program draws into. It owns the size of the picture:
// the program thinks in 640x480 window pixels, and the surface may have more
// pixels behind each of them (--scale, or as many as the screen shows), place
// the picture in a frame of another size (--size), and be multisampled
// (--msaa). Every GL call that takes window pixels is mapped onto it here.
//
// A swap latches the finished frame; it is shown at the program's next look
// at its messages or next swap, so that GDI text drawn after the swap appears
// on the frame it belongs to, as on Windows. Showing a frame scales it to the
// real window with the aspect kept (black bars), which is how full screen
// works on displays that will not switch to 640x480.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "present/surface.h"

#include "base/clock.h"
#include "base/frame_costs.h"
#include "gl/backend.h"
#include "gl/pixel_counter.h"
#include "present/overlay.h"
#include "present/readback.h"

namespace {

// Rows kept aside, per window pixel, for what lies under the GDI text while a frame is shown.
constexpr int kUnderTextHeightPx = 64;

struct SurfaceState {
    bool framePending = false;
    uint64_t presented = 0;
    uint64_t showFramesPresented = 0;  // frames of the scenes, not of start-up
    int frameScene = 0;
    platform::MusicPosition framePosition{0, 0};
    bool frameNoted = false;
    bool autoScale = false;  // the surface follows the size the picture gets on screen
    uint64_t lastShownCounter = 0;
    int64_t framePeriodUs = 0;
};

SurfaceState& State() {
    static SurfaceState state;
    return state;
}

// A software renderer draws every pixel on the CPU: there the picture stays
// at the window's own size unless asked, so the frame rate comes first.
bool SoftwareRenderer() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!renderer) return true;
    for (const char* name : {"llvmpipe", "softpipe", "Software", "SWR"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

// What the options ask for (see layout::Chosen).
SurfaceLayout ChosenLayout(const PlatformContext* context) {
    const platform::RunOptions& options = platform::Options();
    return platform::present::layout::Chosen(platform::present::WindowSize(context), {options.frameWidthPx, options.frameHeightPx},
                                    options.fitWidth, options.scale);
}

double Scale(const PlatformContext* context) {
    return static_cast<double>(context->layout.pictureHeightPx) / context->window->height;
}

// A window rectangle on the surface: its corners are mapped, so neighbouring
// rectangles stay neighbours at any scale.
void MapRectangle(const PlatformContext* context, const GLint* window, GLint* surface) {
    surface[0] = platform::present::SurfaceX(context, window[0]);
    surface[1] = platform::present::SurfaceY(context, window[1]);
    surface[2] = platform::present::SurfaceX(context, window[0] + window[2]) - surface[0];
    surface[3] = platform::present::SurfaceY(context, window[1] + window[3]) - surface[1];
}

void ApplyProgramViewportAndScissor(const PlatformContext* context) {
    GLint mapped[4];
    MapRectangle(context, context->programViewport, mapped);
    glViewport(mapped[0], mapped[1], mapped[2], mapped[3]);
    MapRectangle(context, context->programScissor, mapped);
    glScissor(mapped[0], mapped[1], mapped[2], mapped[3]);
}

// Gives the surface's buffers their storage for the context's layout.
bool AllocateBuffers(PlatformContext* context) {
    platform::present::FramebufferCalls& fb = platform::present::Framebuffers();
    const SurfaceLayout& layout = context->layout;
    auto store = [&](GLuint framebuffer, GLuint buffer, GLenum format, int samples, int heightPx, GLenum attachment) {
        fb.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        fb.bindRenderbuffer(GL_RENDERBUFFER, buffer);
        if (samples > 0) fb.renderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, layout.widthPx, heightPx);
        else fb.renderbufferStorage(GL_RENDERBUFFER, format, layout.widthPx, heightPx);
        fb.framebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, buffer);
    };
    auto bound = [&] { return fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE; };
    context->underTextHeightPx = static_cast<int>(std::ceil(kUnderTextHeightPx * Scale(context)));
    store(context->framebuffer, context->colorBuffer, GL_RGBA8, context->samples, layout.heightPx, GL_COLOR_ATTACHMENT0);
    store(context->framebuffer, context->depthBuffer, context->depthFormat, context->samples, layout.heightPx,
          GL_DEPTH_ATTACHMENT);
    bool complete = bound();
    store(context->underTextFramebuffer, context->underTextBuffer, GL_RGBA8, 0, context->underTextHeightPx,
          GL_COLOR_ATTACHMENT0);
    complete = bound() && complete;
    if (context->samples > 0) {
        store(context->resolveFramebuffer, context->resolveBuffer, GL_RGBA8, 0, layout.heightPx, GL_COLOR_ATTACHMENT0);
        complete = bound() && complete;
    }
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    platform::present::ProgramDrawState saved = platform::present::SaveProgramDrawStateForClears();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    platform::present::RestoreProgramDrawState(saved);
    return complete;
}

// The picture follows the window: when the size it gets on screen changes,
// the surface is given that many pixels from the next frame on.
void FollowWindowSize(PlatformContext* context, int fitWidthPx, int fitHeightPx) {
    SurfaceLayout& layout = context->layout;
    if (fitWidthPx == layout.pictureWidthPx && fitHeightPx == layout.pictureHeightPx) return;
    if (fitWidthPx < 16 || fitHeightPx < 16) return;
    layout = platform::present::layout::Centred({fitWidthPx, fitHeightPx}, {fitWidthPx, fitHeightPx});
    AllocateBuffers(context);
    ApplyProgramViewportAndScissor(context);
}

// Shows the finished frame in the window; gives the size the picture got there.
void ShowOnScreen(PlatformContext* context, int* shownWidthPx, int* shownHeightPx) {
    platform::present::FramebufferCalls& fb = platform::present::Framebuffers();
    PlatformWindow* window = context->window;
    int drawableW = 0, drawableH = 0;
    SDL_GL_GetDrawableSize(window->sdl, &drawableW, &drawableH);
    if (drawableW <= 0 || drawableH <= 0) return;
    // Largest 640x480-shaped rectangle that fits, centred.
    platform::present::layout::Size shown = platform::present::layout::FitPicture(platform::present::WindowSize(context), {drawableW, drawableH});
    int w = *shownWidthPx = shown.widthPx;
    int h = *shownHeightPx = shown.heightPx;
    int x = (drawableW - w) / 2, y = (drawableH - h) / 2;
    const SurfaceLayout& layout = context->layout;
    // The window's bars black, the program's clear colour untouched where GL can.
    const GLfloat kBlack[4] = {0, 0, 0, 1};
    platform::present::ProgramDrawState saved =
        fb.clearBufferfv ? platform::present::SaveProgramDrawState() : platform::present::SaveProgramDrawStateForClears();
    fb.bindFramebuffer(GL_READ_FRAMEBUFFER, platform::present::FinishedFrame(context));
    fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (fb.clearBufferfv) {
        fb.clearBufferfv(GL_COLOR, 0, kBlack);
    } else {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    bool exact = w == layout.widthPx && h == layout.heightPx;
    fb.blitFramebuffer(0, 0, layout.widthPx, layout.heightPx, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT,
                       exact ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(window->sdl);
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    platform::present::RestoreProgramDrawState(saved);
}

// A multisampled surface is resolved into its single-sampled copy.
void Resolve(PlatformContext* context) {
    if (context->samples <= 0) return;
    platform::present::FramebufferCalls& fb = platform::present::Framebuffers();
    const SurfaceLayout& layout = context->layout;
    platform::present::ProgramDrawState saved = platform::present::SaveProgramDrawState();
    fb.bindFramebuffer(GL_READ_FRAMEBUFFER, context->framebuffer);
    fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, context->resolveFramebuffer);
    fb.blitFramebuffer(0, 0, layout.widthPx, layout.heightPx, 0, 0, layout.widthPx, layout.heightPx,
                       GL_COLOR_BUFFER_BIT, GL_NEAREST);
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    platform::present::RestoreProgramDrawState(saved);
}

// The samples asked for, as many as the driver allows.
int SupportedSamples(int wanted) {
    if (wanted <= 0 || !platform::present::Framebuffers().renderbufferStorageMultisample) return 0;
    GLint most = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &most);
    if (most < wanted)
        std::fprintf(stderr, "pqn: the OpenGL driver allows %d samples, not %d; using %d\n", most, wanted, most);
    return std::min<int>(wanted, most > 1 ? most : 0);
}

}  // namespace

namespace platform::present {


bool CreateSurface(PlatformContext* context, int depthBits) {
    if (!LoadFramebufferCalls()) {
        std::fprintf(stderr, "pqn: the OpenGL driver has no framebuffer objects\n");
        return false;
    }
    const RunOptions& options = Options();
    FramebufferCalls& fb = platform::present::Framebuffers();
    PlatformWindow* window = context->window;
    bool inWindow = !options.headless;
    State().autoScale = inWindow && (options.scaleAuto || (!options.scaleGiven && !SoftwareRenderer()));
    context->layout = ChosenLayout(context);
    if (State().autoScale) {
        int drawableW = 0, drawableH = 0;
        SDL_GL_GetDrawableSize(window->sdl, &drawableW, &drawableH);
        layout::Size fit = layout::FitPicture(WindowSize(context), {std::max(drawableW, 16), std::max(drawableH, 16)});
        context->layout = layout::Centred(fit, fit);
    }
    context->samples = SupportedSamples(options.msaaSamples);
    context->programViewport[2] = context->programScissor[2] = window->width;
    context->programViewport[3] = context->programScissor[3] = window->height;
    fb.genFramebuffers(1, &context->framebuffer);
    fb.genRenderbuffers(1, &context->colorBuffer);
    fb.genRenderbuffers(1, &context->depthBuffer);
    fb.genFramebuffers(1, &context->underTextFramebuffer);
    fb.genRenderbuffers(1, &context->underTextBuffer);
    fb.genFramebuffers(1, &context->textFramebuffer);
    glGenTextures(1, &context->textTexture);
    context->textureText.clear();
    if (context->samples > 0) {
        fb.genFramebuffers(1, &context->resolveFramebuffer);
        fb.genRenderbuffers(1, &context->resolveBuffer);
    }
    context->depthFormat = depthBits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16;
    bool complete = AllocateBuffers(context);
    if (!complete) {
        std::fprintf(stderr, "pqn: cannot create the %dx%d drawing surface\n", context->layout.widthPx,
                     context->layout.heightPx);
        return false;
    }
    ApplyProgramViewportAndScissor(context);
    glDisable(GL_SCISSOR_TEST);
    glLineWidth(static_cast<GLfloat>(Scale(context)));
    return true;
}

void DestroySurface(PlatformContext* context) {
    FramebufferCalls& fb = platform::present::Framebuffers();
    if (!fb.deleteFramebuffers || !context->framebuffer) return;
    fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
    fb.deleteFramebuffers(1, &context->framebuffer);
    fb.deleteFramebuffers(1, &context->underTextFramebuffer);
    fb.deleteRenderbuffers(1, &context->colorBuffer);
    fb.deleteRenderbuffers(1, &context->depthBuffer);
    fb.deleteRenderbuffers(1, &context->underTextBuffer);
    fb.deleteFramebuffers(1, &context->textFramebuffer);
    glDeleteTextures(1, &context->textTexture);
    if (context->resolveFramebuffer) {
        fb.deleteFramebuffers(1, &context->resolveFramebuffer);
        fb.deleteRenderbuffers(1, &context->resolveBuffer);
    }
    if (context->readBuffers[0]) fb.deleteBuffers(2, context->readBuffers);
}

void LatchFrame() { State().framePending = true; }

void DropLatchedFrame() { State().framePending = false; }

void NoteFramePosition(int scene, MusicPosition position) {
    SurfaceState& s = State();
    s.frameScene = scene;
    s.framePosition = position;
    s.frameNoted = true;
}

}  // namespace platform::present

namespace {

// Time between frames put on screen.
void NoteFrameShown(SurfaceState& s) {
    uint64_t now = SDL_GetPerformanceCounter();
    if (s.lastShownCounter != 0) {
        auto gapUs = static_cast<int64_t>(static_cast<double>(now - s.lastShownCounter) * 1e6 /
                                          static_cast<double>(SDL_GetPerformanceFrequency()));
        s.framePeriodUs = platform::present::layout::SmoothedFramePeriodUs(s.framePeriodUs, gapUs);
    }
    s.lastShownCounter = now;
}

// The finished frame, text included, to what takes it off screen: the shots
// at its position, and the frame readers (the capture takes the scenes'
// frames only, so that its first frame is the first of the show, with the
// first sound; the benchmark once the music plays).
void HandOffScreen(SurfaceState& s, PlatformContext* context) {
    using namespace platform;
    if (s.frameNoted) present::SaveShots(context, s.framePosition);
    FrameNote frame{s.frameNoted ? s.frameScene : 0, s.framePosition, s.presented};
    present::ReadBackForReaders(context, s.frameNoted, base::MusicHasStarted(), frame);
}

}  // namespace

namespace platform::present {

namespace {

// Shows the latched frame with its text: on screen, or only to the
// screenshots and the capture when headless. In steps: the multisampled
// surface resolved, the text drawn over it, the frame handed off screen and
// shown, what lay under the text put back, and the surface sized after the
// window.
void PresentLatched(SurfaceState& s, PlatformContext* context) {
    base::costs::EndStep(base::costs::kTick);
    gl::pixels::FrameDrawn(s.presented);
    Resolve(context);
    std::vector<TextRegion> saved = DrawOverlay(context);
    base::costs::EndStep(base::costs::kText);
    HandOffScreen(s, context);
    base::costs::EndStep(base::costs::kReadBack);
    int shownWidthPx = 0, shownHeightPx = 0;
    if (!Options().headless) {
        ShowOnScreen(context, &shownWidthPx, &shownHeightPx);
        NoteFrameShown(s);
    }
    base::costs::EndStep(base::costs::kPresent);
    RestoreUnderText(context, saved);
    if (s.autoScale) FollowWindowSize(context, shownWidthPx, shownHeightPx);
    base::costs::EndStep(base::costs::kText);
    if (s.frameNoted) ++s.showFramesPresented;
    s.frameNoted = false;
    ++s.presented;
}

}  // namespace

bool PresentPending() {
    SurfaceState& s = State();
    PlatformContext* context = CurrentContext();
    bool shown = s.framePending && context && context->framebuffer;
    s.framePending = false;
    if (shown) PresentLatched(s, context);
    // The text printed after a swap goes with that swap's frame: shown with
    // it, or dropped with a frame that was not latched (an unseen one).
    ClearOverlay();
    return shown;
}

uint64_t PresentedFrames() { return State().presented; }

bool RunHasMadeItsOutputs() {
    const RunOptions& o = Options();
    if (!o.headless) return false;
    if (o.frameLimit > 0 && State().showFramesPresented >= static_cast<uint64_t>(o.frameLimit)) return true;
    return RunMakesOnlyShots() && AllShotsSaved();
}

int64_t FramePeriodUs() { return State().framePeriodUs; }

void FrameSizePx(int* widthPx, int* heightPx) {
    PlatformContext* context = CurrentContext();
    *widthPx = context ? context->layout.widthPx : 640;
    *heightPx = context ? context->layout.heightPx : 480;
}

}  // namespace platform::present

namespace platform {

namespace gl {

// Keeps a rectangle the program gave in window pixels, and applies the
// viewport and the scissor mapped onto the surface.
static void KeepAndApply(PlatformContext* context, GLint* kept, GLint x, GLint y, GLsizei width, GLsizei height) {
    ChosenBackend().drawPending();
    kept[0] = x, kept[1] = y, kept[2] = width, kept[3] = height;
    ApplyProgramViewportAndScissor(context);
}

void Viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    PlatformContext* context = present::CurrentContext();
    if (!context) return ::glViewport(x, y, width, height);
    KeepAndApply(context, context->programViewport, x, y, width, height);
}

void Scissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    PlatformContext* context = present::CurrentContext();
    if (!context) return ::glScissor(x, y, width, height);
    KeepAndApply(context, context->programScissor, x, y, width, height);
}

void LineWidth(GLfloat widthPx) {
    PlatformContext* context = present::CurrentContext();
    ChosenBackend().drawPending();
    if (context) context->programLineWidthPx = widthPx;
    ::glLineWidth(context ? widthPx * static_cast<GLfloat>(Scale(context)) : widthPx);
}

}  // namespace gl

namespace present {

SurfaceCalls CurrentSurfaceCalls() {
    SurfaceCalls calls;
    if (PlatformContext* context = CurrentContext()) {
        std::copy(context->programViewport, context->programViewport + 4, calls.viewport);
        std::copy(context->programScissor, context->programScissor + 4, calls.scissor);
        calls.lineWidthPx = context->programLineWidthPx;
    }
    return calls;
}

void RestoreSurfaceCalls(const SurfaceCalls& calls) {
    if (!CurrentContext()) return;
    const GLint* v = calls.viewport;
    const GLint* s = calls.scissor;
    gl::Viewport(v[0], v[1], v[2], v[3]);
    gl::Scissor(s[0], s[1], s[2], s[3]);
    gl::LineWidth(calls.lineWidthPx);
}

}  // namespace present
}  // namespace platform
