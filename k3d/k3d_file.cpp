// Small picture files read into memory: the glyphs of the cube letters.
#include <fstream>

#include "../platform/paths.h"
#include "k3d.h"

// The buffer is zero-filled first, so a short file leaves the rest blank.
unsigned char* Kestrel3D::LoadGlyphImage(const char* file, int size) {
    if (size <= 0) return nullptr;
    std::ifstream stream(platform::ResolveDataPath(file), std::ios::binary);
    if (!stream.is_open()) return nullptr;
    auto* buffer = new unsigned char[static_cast<size_t>(size)]();
    stream.read(reinterpret_cast<char*>(buffer), size);
    return buffer;
}
