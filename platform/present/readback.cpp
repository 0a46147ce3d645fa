// Frames back from GL to the CPU: asynchronously through two pixel-buffer
// objects for the capture and the benchmark, and at once for screenshots.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/outputs.h"
#include "platform/png_file.h"
#include "present/readback.h"
#include "base/frame_costs.h"

namespace {

size_t g_nextShot = 0;
std::vector<platform::present::FrameReader> g_readers;
// The buffer frames are read into, kept from frame to frame: a fresh one
// each frame costs its page faults, under wine about 3 ms at 640x480.
std::vector<uint8_t> g_frame;

size_t BytesPerPixel(GLenum format) { return format == GL_RGB ? 3 : 4; }

// The format GL is asked for: OpenGL reads out any; OpenGL ES promises RGBA only.
GLenum ReadFormat(const PlatformContext* context, GLenum wanted) { return context->es ? GL_RGBA : wanted; }

// Pixels read as RGBA made RGB, in place.
void RgbaToRgb(std::vector<uint8_t>* pixels) {
    uint8_t* p = pixels->data();
    size_t count = pixels->size() / 4;
    for (size_t i = 0; i < count; ++i) std::memmove(&p[3 * i], &p[4 * i], 3);
    pixels->resize(count * 3);
}

// glReadPixels of the whole surface, with rows packed tight.
void ReadPixels(const PlatformContext* context, GLenum format, void* pixels) {
    GLint packAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, context->layout.widthPx, context->layout.heightPx, format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
}

// The finished frame as RGB rows, top first.
std::vector<uint8_t> ReadSurface(PlatformContext* context) {
    int width = context->layout.widthPx, height = context->layout.heightPx;
    size_t rowBytes = static_cast<size_t>(width) * 3;
    GLenum format = ReadFormat(context, GL_RGB);
    std::vector<uint8_t> flipped(static_cast<size_t>(width) * height * BytesPerPixel(format));
    platform::present::Framebuffers().bindFramebuffer(GL_READ_FRAMEBUFFER, platform::present::FinishedFrame(context));
    ReadPixels(context, format, flipped.data());
    platform::present::Framebuffers().bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    if (format != GL_RGB) RgbaToRgb(&flipped);
    std::vector<uint8_t> rgb(rowBytes * height);
    for (int y = 0; y < height; ++y) std::memcpy(&rgb[y * rowBytes], &flipped[(height - 1 - y) * rowBytes], rowBytes);
    return rgb;
}

// Hands a frame that has come back from GL to the capture and the benchmark.
void DeliverReadBack(PlatformContext* context, int slot) {
    platform::present::FramebufferCalls& fb = platform::present::Framebuffers();
    int w = context->readWidthPx, h = context->readHeightPx;
    GLenum readFormat = ReadFormat(context, context->readFormat);
    std::vector<uint8_t>& pixels = g_frame;
    pixels.resize(static_cast<size_t>(w) * h * BytesPerPixel(readFormat));
    fb.bindBuffer(GL_PIXEL_PACK_BUFFER, context->readBuffers[slot]);
    platform::base::costs::EndStep(platform::base::costs::kReadBack);
    // WebGL 2 cannot map a buffer; in the browser nothing reads frames back this way.
    // Mapping waits for the driver to have drawn the frame: a step of its own.
    const void* mapped = fb.mapBufferRange ? fb.mapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(pixels.size()),
                                                                GL_MAP_READ_BIT)
                                           : nullptr;
    platform::base::costs::EndStep(platform::base::costs::kFinish);
    if (mapped) {
        std::memcpy(pixels.data(), mapped, pixels.size());
        fb.unmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    fb.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    if (readFormat != context->readFormat) RgbaToRgb(&pixels);
    context->readPending[slot] = false;
    for (size_t i = 0; i < g_readers.size(); ++i)
        if (context->readFor[slot] & (1u << i)) g_readers[i].take(&pixels, w, h, context->readFrame[slot]);
}

// RGB, or else the surface's own RGBA, which every GL reads back without
// converting a pixel.
GLenum FormatOf(platform::present::PixelOrder order) {
    return order == platform::present::PixelOrder::kRgb ? GL_RGB : GL_RGBA;
}

bool PositionReached(platform::MusicPosition frame, platform::MusicPosition target) {
    return frame.order > target.order || (frame.order == target.order && frame.row >= target.row);
}

}  // namespace

namespace platform::present {

void AddFrameReader(const FrameReader& reader) { g_readers.push_back(reader); }

// Starts reading this frame back and delivers the one before it, so that GL
// draws the next frame while this one is still on its way.
static void ReadBackAsync(PlatformContext* context, GLenum format, const FrameNote& frame, unsigned readers) {
    FramebufferCalls& fb = Framebuffers();
    int w = context->layout.widthPx, h = context->layout.heightPx;
    if (context->readBuffers[0] && (w != context->readWidthPx || h != context->readHeightPx)) {
        FinishReadBacks(context);
        fb.deleteBuffers(2, context->readBuffers);
        context->readBuffers[0] = context->readBuffers[1] = 0;
    }
    if (!context->readBuffers[0]) {
        context->readWidthPx = w;
        context->readHeightPx = h;
        fb.genBuffers(2, context->readBuffers);
        for (GLuint buffer : context->readBuffers) {
            fb.bindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
            fb.bufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(w) * h * 4, nullptr, GL_STREAM_READ);
        }
    }
    int slot = context->nextRead;
    context->readFormat = format;
    fb.bindBuffer(GL_PIXEL_PACK_BUFFER, context->readBuffers[slot]);
    fb.bindFramebuffer(GL_READ_FRAMEBUFFER, FinishedFrame(context));
    ReadPixels(context, ReadFormat(context, format), nullptr);
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    fb.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    context->readPending[slot] = true;
    context->readFrame[slot] = frame;
    context->readFor[slot] = readers;
    context->nextRead ^= 1;
    if (context->readPending[context->nextRead]) DeliverReadBack(context, context->nextRead);
}

// Starts reading this frame back, in the order of the first reader that
// names one, and delivers the one before it.
void ReadBackForReaders(PlatformContext* context, bool showFrame, bool musicStarted, const FrameNote& frame) {
    unsigned wanting = 0;
    PixelOrder order = PixelOrder::kAny;
    for (size_t i = 0; i < g_readers.size(); ++i) {
        PixelOrder wanted = g_readers[i].wants(showFrame, musicStarted);
        if (wanted == PixelOrder::kNone) continue;
        wanting |= 1u << i;
        if (order == PixelOrder::kAny) order = wanted;
    }
    if (wanting) ReadBackAsync(context, FormatOf(order), frame, wanting);
}

void FinishReadBacks(PlatformContext* context) {
    for (int i = 0; i < 2; ++i) {
        int slot = context->nextRead;
        if (context->readPending[slot]) DeliverReadBack(context, slot);
        context->nextRead ^= 1;
    }
}

// Saves the frame as every screenshot whose music position it is the first to reach.
void SaveShots(PlatformContext* context, MusicPosition framePosition) {
    const std::vector<MusicPosition>& shots = Options().shots;
    if (!ShotDueAt(framePosition)) return;
    int w = context->layout.widthPx, h = context->layout.heightPx;
    std::vector<uint8_t> rgb = ReadSurface(context);
    while (g_nextShot < shots.size() && PositionReached(framePosition, shots[g_nextShot])) {
        const MusicPosition& target = shots[g_nextShot++];
        char name[64];
        std::snprintf(name, sizeof name, "/shot-%03u-%02u.png", target.order, target.row);
        std::string path = Options().shotDir + name;
        if (!WritePng(path, w, h, 3, rgb.data())) ReportOutputFailure(path, SystemReason());
    }
}

bool ShotDueAt(MusicPosition framePosition) {
    const std::vector<MusicPosition>& shots = Options().shots;
    return g_nextShot < shots.size() && PositionReached(framePosition, shots[g_nextShot]);
}

bool AllShotsSaved() { return g_nextShot >= Options().shots.size(); }

bool RunMakesOnlyShots() {
    const RunOptions& o = Options();
    return o.headless && !o.shots.empty() && o.captureOut.empty() && o.traceFile.empty() && !o.bench &&
           o.frameLimit == 0;
}

}  // namespace platform::present
