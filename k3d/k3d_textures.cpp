// Texture bank: numbered slots with names, sticky upload settings (input mode,
// alpha map, filter), uploads from memory, and raw picture files.
#include <cstdio>
#include <vector>

#include "platform/data_file.h"
#include "platform/paths.h"
#include "k3d.h"

// A second call replaces the table, releasing the first.
void Kestrel3D::InitTextures(int count) {
    FreeTextures();
    if (count < 0) count = 0;
    textureCount = count;
    textureIds = new GLuint[static_cast<size_t>(count)]();
    textureMode = 1;
    glGenTextures(count, textureIds);
}

void Kestrel3D::FreeTextures() {
    if (textureIds) glDeleteTextures(textureCount, textureIds);
    delete[] textureIds;
    textureIds = nullptr;
}

void Kestrel3D::GSTexture() { textureMode = 2; }
void Kestrel3D::TextureLinear() { textureFilter = GL_LINEAR; }
void Kestrel3D::TextureMipmap() { textureFilter = GL_LINEAR_MIPMAP_LINEAR; }
void Kestrel3D::useAlphaMap() { AlphaMap = true; }
void Kestrel3D::noAlphaMap() { AlphaMap = false; }

void Kestrel3D::edTexture(bool on) {
    if (on) glEnable(GL_TEXTURE_2D);
    else glDisable(GL_TEXTURE_2D);
}

void ExpandGrey(const unsigned char* grey, unsigned char* out, size_t pixels, bool withAlpha) {
    size_t components = withAlpha ? 4 : 3;
    for (size_t i = 0; i < pixels; ++i)
        for (size_t c = 0; c < components; ++c) out[components * i + c] = grey[i];
}

void Kestrel3D::gsToRgb(const unsigned char* grey, unsigned char* out, int width, int height, bool withAlpha) {
    ExpandGrey(grey, out, static_cast<size_t>(width) * static_cast<size_t>(height), withAlpha);
}

std::vector<unsigned char> ReadRawPicture(const char* file, size_t bytes, bool* opened) {
    std::vector<unsigned char> buffer(bytes);
    FILE* stream = platform::OpenRegularFile(platform::ResolveDataPath(file));
    *opened = stream != nullptr;
    if (stream) {
        size_t read = std::fread(buffer.data(), 1, bytes, stream);
        (void)read;  // a short file leaves the rest of the picture black
        std::fclose(stream);
    }
    return buffer;
}

// The common tail of every upload: bind, filters, then the image or its mipmaps.
void Kestrel3D::upload(const unsigned char* pixels, int slot, int width, int height, int components,
                       GLenum format) {
    useTexture(slot);
    if (slot < 0 || slot >= textureCount) return;
    GLint magFilter = textureFilter == GL_LINEAR_MIPMAP_LINEAR ? GL_LINEAR : static_cast<GLint>(textureFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(textureFilter));
    if (textureFilter == GL_LINEAR_MIPMAP_LINEAR)
        gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, components, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
}

// Always three components: a grey picture is expanded without alpha whatever
// AlphaMap says, so the expansion never outgrows its buffer.
void Kestrel3D::MakeTexture(const unsigned char* pixels, int slot, int width, int height) {
    if (!pixels || width <= 0 || height <= 0) return;
    if (textureMode == 2) {
        std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
        gsToRgb(pixels, rgb.data(), width, height, false);
        upload(rgb.data(), slot, width, height, 3, GL_RGB);
    } else {
        upload(pixels, slot, width, height, 3, GL_RGB);
    }
}

bool Kestrel3D::addTextureName(const std::string& name, int slot) {
    if (textureNames.count(name)) {
        char message[256];
        std::snprintf(message, sizeof message, "Texture name \"%s\" already in use.", name.c_str());
        ow->WNDError(message);
        return false;
    }
    textureNames[name] = slot;
    return true;
}

void Kestrel3D::useTexture(int slot) {
    if (slot < 0 || slot >= textureCount || !textureIds) {
        ow->WNDError("Texture number out of bounds!");
        return;
    }
    glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
}

void Kestrel3D::useTexture(const std::string& name) {
    auto found = textureNames.find(name);
    if (found == textureNames.end()) {
        char message[256];
        std::snprintf(message, sizeof message, "Did not find texture name \"%s\"", name.c_str());
        ow->WNDError(message);
        return;
    }
    int slot = found->second;
    if (slot < 0 || slot >= textureCount || !textureIds) return;
    glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
}

// Reads a headerless picture in the layout the settings select. Buffers start
// zeroed, so a missing or short file uploads black where bytes are missing.
bool Kestrel3D::loadTexture(const char* file, int width, int height, int slot) {
    if (width <= 0 || height <= 0) return true;
    int components = AlphaMap ? 4 : 3;
    GLenum format = AlphaMap ? GL_RGBA : GL_RGB;
    size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<unsigned char> buffer;
    bool opened = false;
    if (textureMode == 2) {
        std::vector<unsigned char> grey = ReadRawPicture(file, pixels, &opened);
        if (!opened) ow->WNDError("Can't open raw image file!");
        buffer.resize(pixels * components);
        gsToRgb(grey.data(), buffer.data(), width, height, AlphaMap);
    } else {
        buffer = ReadRawPicture(file, pixels * components, &opened);
        if (!opened) ow->WNDError("Can't open image file!");
    }
    upload(buffer.data(), slot, width, height, components, format);
    return true;
}
