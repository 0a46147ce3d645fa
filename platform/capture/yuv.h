// Frames as read back from GL to the planar YUV 4:2:0 a video encoder takes.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::capture {

// BGRA rows, bottom row first, to planar YUV 4:2:0 (Y, then U and V at half
// size) with BT.601 studio-range coefficients, as ffmpeg assumes for
// standard-definition video. Width and height are even.
void ToYuv420(const uint8_t* bgra, int width, int height, std::vector<uint8_t>* yuv);

}  // namespace platform::capture
