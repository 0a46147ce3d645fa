// Frames as read back from GL to the planar YUV 4:2:0 a video encoder takes.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::capture {

// The coefficients of a colour standard: BT.601 for standard definition,
// BT.709 for HD (720 lines and more), as players assume when a video does
// not say which it is.
enum class YuvMatrix { Bt601, Bt709 };
YuvMatrix MatrixForHeight(int heightPx);

// RGBA rows, bottom row first, to planar YUV 4:2:0 (Y, then U and V at half
// size) in studio range. Width and height are even.
void ToYuv420(const uint8_t* rgba, int width, int height, YuvMatrix matrix, std::vector<uint8_t>* yuv);

}  // namespace platform::capture
