// The pictures and glyphs of the default data set, as raw bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gen {

struct Picture {
    std::string name;  // file name without ".raw"
    int width, height, channels;
    std::vector<uint8_t> bytes;  // rows top first, `channels` bytes per pixel
};

// All 51 pictures of the manifest in its loading order, then the 12 glyphs.
std::vector<Picture> MakePictures();

}  // namespace gen
