// The text over the frame: the strings the program prints, rasterised with
// FreeType as GDI draws by default (black on an opaque white box), at the
// surface's scale, and copied over the frame while it is shown (through a
// texture, as OpenGL and OpenGL ES both can). What lies under the text is
// first copied aside on the GL side and put back afterwards, so the next
// frame does not inherit the text (a multisampled surface needs none of
// that: the text goes on its resolved copy, which the next frame rewrites
// whole).
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/data_file.h"
#include "platform/trace.h"
#include "present/overlay.h"

namespace {

struct OverlayText {
    int xPx, yPx;
    std::string text;
};

constexpr int kFontHeightPx = 13;  // in window pixels

struct TextState {
    std::vector<OverlayText> overlay;
    FT_Library fontLibrary = nullptr;
    FT_Face font = nullptr;
    std::vector<uint8_t> fontFile;  // FreeType reads the face from here for as long as it lives
    bool fontTried = false;
    int fontHeightPx = 0;
    double ascentPx = 0, boxHeightPx = 0;  // of the box at the window's own size
};

TextState& State() {
    static TextState state;
    return state;
}

const char* const kFontCandidates[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
    "DejaVuSans-Bold.ttf",  // beside the data set, where a release for Windows keeps it
};

FT_Face Font() {
    TextState& s = State();
    if (s.fontTried) return s.font;
    s.fontTried = true;
    if (FT_Init_FreeType(&s.fontLibrary) != 0) return nullptr;
    for (const char* path : kFontCandidates) {
        if (!platform::ReadRegularFile(path, &s.fontFile)) continue;
        if (FT_New_Memory_Face(s.fontLibrary, s.fontFile.data(), static_cast<FT_Long>(s.fontFile.size()), 0, &s.font) == 0) {
            FT_Set_Pixel_Sizes(s.font, 0, kFontHeightPx);
            s.fontHeightPx = kFontHeightPx;
            const FT_Size_Metrics& metrics = s.font->size->metrics;
            s.ascentPx = static_cast<double>(metrics.ascender >> 6);
            s.boxHeightPx = static_cast<double>((metrics.ascender - metrics.descender) >> 6);
            return s.font;
        }
    }
    std::fprintf(stderr, "pqn: no font found for the position line (install fonts-dejavu-core)\n");
    return nullptr;
}

// Black text on an opaque white box, `scale` times the window's own size
// (the box too, so it is exactly as much taller); RGB rows, top first.
std::vector<uint8_t> RasteriseText(const std::string& text, double scale, int* widthPx, int* heightPx) {
    FT_Face face = Font();
    *widthPx = *heightPx = 0;
    if (!face) return {};
    TextState& s = State();
    int fontHeightPx = std::max(1, static_cast<int>(std::lround(kFontHeightPx * scale)));
    if (s.fontHeightPx != fontHeightPx) {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(fontHeightPx));
        s.fontHeightPx = fontHeightPx;
    }
    int ascent = static_cast<int>(std::lround(s.ascentPx * scale));
    int height = static_cast<int>(std::lround(s.boxHeightPx * scale));
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

// Puts the text's pixels (RGB rows, top first) into the text texture, the
// top row first, leaving the program's texture binding and unpacking as they were.
void UploadText(PlatformContext* context, const std::vector<uint8_t>& rgb, int widthPx, int heightPx) {
    GLint boundTexture = 0, unpackAlignment = 4;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
    glBindTexture(GL_TEXTURE_2D, context->textTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, widthPx, heightPx, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
}

void CopyRegion(GLuint from, GLuint to, platform::present::TextRegion source, int toX, int toY) {
    platform::present::FramebufferCalls& fb = platform::present::Framebuffers();
    fb.bindFramebuffer(GL_READ_FRAMEBUFFER, from);
    fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    fb.blitFramebuffer(source.x, source.y, source.x + source.w, source.y + source.h, toX, toY, toX + source.w,
                       toY + source.h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

}  // namespace

namespace platform::present {

// Draws this frame's text into the finished frame and returns the regions it
// saved. A text is placed at its window position and drawn at the surface's
// scale; what falls outside the surface is cut off.
std::vector<TextRegion> DrawOverlay(PlatformContext* context) {
    TextState& s = State();
    FramebufferCalls& fb = Framebuffers();
    std::vector<TextRegion> saved;
    if (s.overlay.empty() || !fb.framebufferTexture2D) return saved;
    const SurfaceLayout& layout = context->layout;
    GLuint target = FinishedFrame(context);
    bool restore = target == context->framebuffer;
    double scale = static_cast<double>(layout.pictureHeightPx) / context->window->height;
    ProgramDrawState programState = SaveProgramDrawState();
    int stackedPx = 0;
    for (const OverlayText& t : s.overlay) {
        bool held = t.text == context->textureText && scale == context->textureTextScale;
        int w = context->textureTextWidthPx, h = context->textureTextHeightPx;
        std::vector<uint8_t> rgb;
        if (!held) rgb = RasteriseText(t.text, scale, &w, &h);
        int left = SurfaceX(context, t.xPx), top = SurfaceY(context, context->window->height - t.yPx);
        TextRegion region{left, top - h, std::min(w, layout.widthPx - left), h};
        if (region.y < 0) region.h += region.y, region.y = 0;
        if (region.y + region.h > layout.heightPx) region.h = layout.heightPx - region.y;
        if ((!held && rgb.empty()) || region.x < 0 || region.w <= 0 || region.h <= 0) continue;
        if (restore) {
            if (stackedPx + region.h > context->underTextHeightPx) continue;
            CopyRegion(target, context->underTextFramebuffer, region, 0, stackedPx);
            stackedPx += region.h;
            saved.push_back(region);
        }
        if (!held) {
            UploadText(context, rgb, w, h);
            context->textureText = t.text;
            context->textureTextScale = scale;
            context->textureTextWidthPx = w;
            context->textureTextHeightPx = h;
        }
        // Its top row goes to the row under `top`: the copy turns it upside down.
        fb.bindFramebuffer(GL_READ_FRAMEBUFFER, context->textFramebuffer);
        fb.framebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, context->textTexture, 0);
        fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
        fb.blitFramebuffer(0, 0, w, h, left, top, left + w, top - h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    fb.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    RestoreProgramDrawState(programState);
    return saved;
}

void RestoreUnderText(PlatformContext* context, const std::vector<TextRegion>& saved) {
    if (saved.empty()) return;
    ProgramDrawState programState = SaveProgramDrawState();
    int stackedPx = 0;
    for (const TextRegion& region : saved) {
        CopyRegion(context->underTextFramebuffer, context->framebuffer, {0, stackedPx, region.w, region.h}, region.x, region.y);
        stackedPx += region.h;
    }
    Framebuffers().bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    RestoreProgramDrawState(programState);
}

void QueueText(int xPx, int yPx, const std::string& text) {
    State().overlay.push_back({xPx, yPx, text});
    NoteText(text);
}

void ClearOverlay() { State().overlay.clear(); }

void ReleaseFont() {
    TextState& s = State();
    if (s.font) FT_Done_Face(s.font);
    if (s.fontLibrary) FT_Done_FreeType(s.fontLibrary);
    s.font = nullptr;
    s.fontLibrary = nullptr;
    s.fontFile.clear();
    s.fontTried = false;
    s.fontHeightPx = 0;
}

}  // namespace platform::present
