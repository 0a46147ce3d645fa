// Writes and reads 8-bit RGB, RGBA or grey PNG files (libpng).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// `channels` is 1 (grey), 3 (RGB) or 4 (RGBA); rows tightly packed, top
// first unless `bottomRowFirst` (as GL reads them).
bool WritePng(const std::string& path, int width, int height, int channels,
              const uint8_t* pixels, bool bottomRowFirst = false);

// Reads any PNG as tightly packed RGB rows, top first. False if unreadable.
bool ReadPngRgb(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgb);

}  // namespace platform
