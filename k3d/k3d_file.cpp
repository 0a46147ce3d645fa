// Small picture files read into memory: the glyphs of the cube letters.
#include "platform/data_file.h"
#include "platform/paths.h"
#include "k3d.h"

// The buffer is zero-filled first, so a short file leaves the rest blank.
unsigned char* Kestrel3D::LoadGlyphImage(const char* file, int size) {
    if (size <= 0) return nullptr;
    FILE* stream = platform::OpenRegularFile(platform::ResolveDataPath(file));
    if (!stream) return nullptr;
    auto* buffer = new unsigned char[static_cast<size_t>(size)]();
    size_t read = std::fread(buffer, 1, static_cast<size_t>(size), stream);
    (void)read;  // a short file leaves the rest blank
    std::fclose(stream);
    return buffer;
}
