// In the browser there are no files to write pictures to: a screenshot's
// pixels go to the page, which keeps them by name (Module.pqnShots) for
// whoever asked for them.
#include <emscripten.h>

#include "platform/png_file.h"

EM_JS(void, HandShotToPage, (const char* path, int width, int height, int channels, const uint8_t* pixels,
                             int bottomRowFirst), {
    const rowBytes = width * channels;
    const rgba = new Uint8ClampedArray(width * height * 4);
    for (let y = 0; y < height; ++y) {
        const from = pixels + (bottomRowFirst ? height - 1 - y : y) * rowBytes;
        for (let x = 0; x < width; ++x)
            for (let c = 0; c < 4; ++c)
                rgba[(y * width + x) * 4 + c] = c < 3 ? HEAPU8[from + x * channels + (channels >= 3 ? c : 0)] : 255;
    }
    const name = UTF8ToString(path).split('/').pop();
    Module.pqnShots = Module.pqnShots || {};
    Module.pqnShots[name] = {width: width, height: height, rgba: rgba};
    if (Module.onShot) Module.onShot(name);
});

namespace platform {

bool WritePng(const std::string& path, int width, int height, int channels, const uint8_t* pixels,
              bool bottomRowFirst) {
    HandShotToPage(path.c_str(), width, height, channels, pixels, bottomRowFirst ? 1 : 0);
    return true;
}

bool ReadPngRgb(const std::string&, int*, int*, std::vector<uint8_t>*) { return false; }

}  // namespace platform
