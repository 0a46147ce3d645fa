// The driver's own count of the pixels a frame shades (see pixel_counter.h).
#include "gl/pixel_counter.h"

#include <SDL_video.h>
#include <GL/gl.h>

#include <vector>

#include "platform/options.h"
#include "gl/backend.h"

namespace platform::gl::pixels {

namespace {

constexpr GLenum kFragmentShaderInvocations = 0x82F4;  // GL_ARB_pipeline_statistics_query
constexpr GLenum kSamplesPassed = 0x8914;
constexpr GLenum kQueryResult = 0x8866;

using GenQueries = void (*)(GLsizei, GLuint*);
using BeginQuery = void (*)(GLenum, GLuint);
using EndQuery = void (*)(GLenum);
using GetQueryObjectuiv = void (*)(GLuint, GLenum, GLuint*);

struct Calls {
    GenQueries gen = nullptr;
    BeginQuery begin = nullptr;
    EndQuery end = nullptr;
    GetQueryObjectuiv result = nullptr;
};

// A draw's two queries and the state it ran under.
struct Draw {
    GLuint shaded, written;
    bool blended, depthTested, textured;
};

struct Counter {
    bool asked = false;
    Calls calls;
    bool counting = false;
    bool inDraw = false;
    // Queries made and free for the next draws, by target (a query keeps the
    // target it was first used with).
    std::vector<GLuint> spareShaded, spareWritten;
    std::vector<Draw> draws;
    FramePixels frame;
    uint64_t every = 0;
    uint64_t keptFrame = 0;  // the frame number of `kept`
    FramePixels kept;
};

Counter& C() {
    static Counter counter;
    return counter;
}

// The shader path counts on the CPU; the fixed function needs the query
// calls of a context that keeps pipeline statistics.
bool Available(Counter& c) {
    if (ShadersDraw()) return true;
    if (!c.asked) {
        c.asked = true;
        if (SDL_GL_GetCurrentContext() && SDL_GL_ExtensionSupported("GL_ARB_pipeline_statistics_query")) {
            c.calls.gen = reinterpret_cast<GenQueries>(SDL_GL_GetProcAddress("glGenQueries"));
            c.calls.begin = reinterpret_cast<BeginQuery>(SDL_GL_GetProcAddress("glBeginQuery"));
            c.calls.end = reinterpret_cast<EndQuery>(SDL_GL_GetProcAddress("glEndQuery"));
            c.calls.result = reinterpret_cast<GetQueryObjectuiv>(SDL_GL_GetProcAddress("glGetQueryObjectuiv"));
        }
    }
    return c.calls.gen && c.calls.begin && c.calls.end && c.calls.result;
}

GLuint Query(Counter& c, std::vector<GLuint>* spare) {
    if (spare->empty()) {
        GLuint made[64];
        c.calls.gen(64, made);
        spare->assign(made, made + 64);
    }
    GLuint query = spare->back();
    spare->pop_back();
    return query;
}

uint64_t ClearedArea() {
    GLint box[4] = {0, 0, 0, 0};
    ::glGetIntegerv(::glIsEnabled(GL_SCISSOR_TEST) ? GL_SCISSOR_BOX : GL_VIEWPORT, box);
    return box[2] > 0 && box[3] > 0 ? static_cast<uint64_t>(box[2]) * static_cast<uint64_t>(box[3]) : 0;
}

}  // namespace

void BeforeDraw() {
    Counter& c = C();
    if (!c.counting || c.inDraw) return;
    GLint compiling = 0;  // a draw compiled into a display list draws nothing now
    ::glGetIntegerv(GL_LIST_INDEX, &compiling);
    if (compiling) return;
    Draw draw{Query(c, &c.spareShaded), Query(c, &c.spareWritten), ::glIsEnabled(GL_BLEND) == GL_TRUE, ::glIsEnabled(GL_DEPTH_TEST) == GL_TRUE,
              ::glIsEnabled(GL_TEXTURE_2D) == GL_TRUE};
    c.calls.begin(kFragmentShaderInvocations, draw.shaded);
    c.calls.begin(kSamplesPassed, draw.written);
    c.draws.push_back(draw);
    c.inDraw = true;
}

void AfterDraw() {
    Counter& c = C();
    if (!c.inDraw) return;
    c.calls.end(kSamplesPassed);
    c.calls.end(kFragmentShaderInvocations);
    c.inDraw = false;
}

bool CountingNow() { return C().counting; }

bool KeepPositions() { return Options().bench; }

void AddDrawnPixels(uint64_t pixels, bool blended, bool depthTested, bool textured) {
    FramePixels& frame = C().frame;
    frame.shaded += pixels;
    frame.written += pixels;
    if (blended) frame.blended += pixels;
    if (depthTested) frame.depthTested += pixels;
    if (textured) frame.textured += pixels;
}

void Cleared(GLbitfield mask) {
    Counter& c = C();
    if (c.counting && (mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT))) c.frame.cleared += ClearedArea();
}

namespace {

// The counted frame's queries read, and the counter's own made ready again.
FramePixels ReadFrame(Counter& c) {
    FramePixels frame = c.frame;
    frame.counted = true;
    for (const Draw& draw : c.draws) {
        GLuint shaded = 0, written = 0;
        c.calls.result(draw.shaded, kQueryResult, &shaded);
        c.calls.result(draw.written, kQueryResult, &written);
        frame.shaded += shaded;
        frame.written += written;
        if (draw.blended) frame.blended += written;
        if (draw.depthTested) frame.depthTested += written;
        if (draw.textured) frame.textured += written;
        c.spareShaded.push_back(draw.shaded);
        c.spareWritten.push_back(draw.written);
    }
    c.draws.clear();
    c.frame = FramePixels();
    return frame;
}

}  // namespace

void CountEveryNthFrame(uint64_t n) {
    Counter& c = C();
    c.every = n;
    if (n == 0 && c.counting) ReadFrame(c);
    if (n == 0) c.counting = false;
}

void FrameDrawn(uint64_t presented) {
    Counter& c = C();
    if (c.counting) {
        c.kept = ReadFrame(c);
        c.keptFrame = presented;
    }
    c.counting = c.every > 0 && (presented + 1) % c.every == 0 && Available(c);
}

bool TakeCountedFrame(uint64_t presented, FramePixels* pixels) {
    Counter& c = C();
    if (!c.kept.counted || c.keptFrame != presented) return false;
    *pixels = c.kept;
    c.kept = FramePixels();
    return true;
}

}  // namespace platform::gl::pixels
