// Test support: headless engine, readback, test modules, files and frames.
#include "support.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "platform/png_file.h"
#include "platform/runtime.h"

namespace test {

void ConfigureHeadless() {
    static bool configured = false;
    if (configured) return;
    platform::RunOptions options;
    options.headless = true;
    platform::Configure(options);
    configured = true;
}

void ConfigureHeadlessGl(platform::GlWay way, bool counting) {
    platform::RunOptions options;
    options.headless = true;
    options.bench = counting;
    options.gl = way;
    platform::Configure(options);
}

void DrawInWindowPixels() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 640, 0, 480);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
}

void OpenEngine() {
    ConfigureHeadless();
    ::OpenEngine(1, nullptr, 1);
}

void CloseEngine() {
    if (g_engine) SendMessageA(g_engine->ow->GetWindow(), WM_CLOSE, 0, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        if (!GetMessageA(&msg, nullptr, 0, 0)) break;
}

Rgb PixelAt(int x, int yFromTop) {
    unsigned char px[4] = {};
    glFlush();
    glReadPixels(x, 479 - yFromTop, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return {px[0], px[1], px[2]};
}

bool RowsBlack(int first, int last) {
    int rows = last - first + 1;
    std::vector<unsigned char> pixels(static_cast<size_t>(640) * rows * 4);
    glFlush();
    glReadPixels(0, 479 - last, 640, rows, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (size_t i = 0; i < pixels.size(); i += 4)
        if (pixels[i] || pixels[i + 1] || pixels[i + 2]) return false;
    return true;
}

std::vector<uint8_t> MakeTestModule(int orders, const std::vector<CueAt>& cues) {
    xm::Module m;
    m.name = "test";
    m.channels = 2;
    xm::Instrument beep;
    beep.name = "beep";
    for (int i = 0; i < 2205; ++i)
        beep.sample.push_back(static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * 261.6256 * i / 44100.0)));
    xm::TuneSample(beep, 44100, 261.6256);
    m.instruments.push_back(beep);
    for (int order = 0; order < orders; ++order) {
        xm::Pattern p(64, 2);
        p.cells[0].note = 49;
        p.cells[0].instrument = 1;
        for (const CueAt& cue : cues) {
            if (cue.order != order) continue;
            xm::Cell& c = p.cells[static_cast<size_t>(cue.row) * 2 + 1];
            c.effect = 0x0E;
            c.param = static_cast<uint8_t>(0x80 | cue.x);
        }
        m.patterns.push_back(p);
        m.orders.push_back(static_cast<uint8_t>(order));
    }
    return xm::Write(m);
}

std::string WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = TempDir() + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

::testing::AssertionResult ReadPng(const std::string& path, std::vector<uint8_t>* rgb) {
    int widthPx = 0, heightPx = 0;
    if (platform::ReadPngRgb(path, &widthPx, &heightPx, rgb)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << path << " cannot be read as a PNG file";
}

::testing::AssertionResult SamePixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int widthPx) {
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << "frames of " << a.size() / 3 << " and " << b.size() / 3 << " pixels";
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < a.size(); i += 3) {
        if (a[i] == b[i] && a[i + 1] == b[i + 1] && a[i + 2] == b[i + 2]) continue;
        if (differing++ == 0) first = i / 3;
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    size_t x = first % static_cast<size_t>(widthPx), y = first / static_cast<size_t>(widthPx);
    return ::testing::AssertionFailure() << differing << " pixels differ, the first at " << x << "," << y << ": "
                                         << int{a[first * 3]} << "," << int{a[first * 3 + 1]} << "," << int{a[first * 3 + 2]}
                                         << " against " << int{b[first * 3]} << "," << int{b[first * 3 + 1]} << ","
                                         << int{b[first * 3 + 2]};
}

double WorstTileDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int widthPx, int x0, int y0,
                           int x1, int y1) {
    constexpr int kTilePx = 16;
    double worst = 0;
    for (int ty = y0; ty < y1; ty += kTilePx)
        for (int tx = x0; tx < x1; tx += kTilePx)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                int pixels = 0;
                for (int y = ty; y < std::min(ty + kTilePx, y1); ++y)
                    for (int x = tx; x < std::min(tx + kTilePx, x1); ++x, ++pixels) {
                        size_t at = (static_cast<size_t>(y) * widthPx + x) * 3 + c;
                        sum += a[at] - b[at];
                    }
                worst = std::max(worst, std::abs(sum) / pixels);
            }
    return worst;
}

std::vector<std::string> Boxes() { return platform::MessageBoxTexts(); }

}  // namespace test
