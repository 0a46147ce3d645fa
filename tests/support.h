// Shared by the tests: a headless engine with a window and GL context, pixel
// readback, a small XM module written on the spot, and running pqn itself.
#pragma once

#include <GL/gl.h>  // GL's state read back, before the program's GL names
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../main/demo.h"
#include "platform/runtime.h"
#include "../tools/data/xm_writer.h"

namespace test {

// Starts the platform headless, once per process.
void ConfigureHeadless();
// Starts the platform headless (once per process) and opens a fresh engine in
// g_engine with its window and GL context, as start-up does.
void OpenEngine();
// Starts the platform headless drawing with `way`, with pixel counts where
// `counting` (as --bench does); once per process, before any engine opens.
void ConfigureHeadlessGl(platform::GlWay way, bool counting);
// GL set up for drawing in window pixels, (0 0) at the bottom left of the
// 640x480 window, with no depth test, culling, blending or texture.
void DrawInWindowPixels();
// Closes the window as the program does; g_engine becomes null.
void CloseEngine();

struct Rgb {
    int r, g, b;
};
// Pixel of the 640x480 window surface, y counted from the top, once what GL
// has been given is drawn (glFlush: the shader path gathers primitives).
Rgb PixelAt(int x, int yFromTop);
// Rows [first, last] (from the top) whose every pixel is black.
bool RowsBlack(int first, int last);

// A module of `orders` 64-row patterns at speed 6, 125 BPM, with one short
// instrument and E8x cues at (order, row, x).
struct CueAt {
    int order, row, x;
};
std::vector<uint8_t> MakeTestModule(int orders, const std::vector<CueAt>& cues);
std::string WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes);
std::string TempDir();

// What a file holds (empty when it cannot be read): what a program printed, for a failure to show.
std::string FileText(const std::string& path);

// Runs pqn with the arguments; returns its exit code; stderr and stdout go to `output`.
int RunPqn(const std::string& arguments, std::string* output);

// The largest difference between two frames' 16x16 tiles in [x0, x1) x
// [y0, y1) (y from the top): each tile's mean colour difference, in levels of
// the channel that differs most. Tile means leave out where exactly an edge or
// a texel falls; a lost or moved sprite changes the tiles it covers by as much
// as it stands out from what lies under it.
double WorstTileDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int widthPx, int x0, int y0,
                           int x1, int y1);

// The RGB pixels of a PNG file, top row first; a failure names the file.
::testing::AssertionResult ReadPng(const std::string& path, std::vector<uint8_t>* rgb);

// Whether two RGB frames of `widthPx` are the same pixel for pixel; if not,
// how many pixels differ and where the first is (y from the top of the file).
::testing::AssertionResult SamePixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int widthPx);

// Message boxes shown since the process began.
std::vector<std::string> Boxes();

}  // namespace test
