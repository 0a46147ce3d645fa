// Fuzzes raw picture and glyph loading with any size: the first three bytes
// give the width, the height and the layout, the rest is the file.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "../../k3d/k3d.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    static const std::string path = "/tmp/pqn-picture-fuzz-" + std::to_string(getpid()) + ".raw";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data + 3, 1, size - 3, file);
    std::fclose(file);

    size_t width = 1 + data[0] % 128, height = 1 + data[1] % 128;
    bool grey = data[2] & 1, alpha = data[2] & 2;
    size_t components = alpha ? 4 : 3;
    bool opened = false;
    if (grey) {
        std::vector<unsigned char> pixels = ReadRawPicture(path.c_str(), width * height, &opened);
        std::vector<unsigned char> expanded(width * height * components);
        ExpandGrey(pixels.data(), expanded.data(), width * height, alpha);
    } else {
        std::vector<unsigned char> pixels = ReadRawPicture(path.c_str(), width * height * components, &opened);
        if (pixels.size() != width * height * components) __builtin_trap();
    }
    Kestrel3D engine;
    unsigned char* glyph = engine.LoadGlyphImage(path.c_str(), static_cast<int>(width * height) - 64);
    delete[] glyph;
    return 0;
}
