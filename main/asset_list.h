// The show's data files as plain data: every picture with its size, texture
// slot and the texture bank setting switched before it is loaded, and the
// glyphs of the cube letters. The asset manifest loads them; the data
// generator makes them, in the same order and at the same sizes.
#pragma once

#include <cstddef>

// The setting switched on the texture bank before a picture is loaded.
enum class TextureSwitch { None, AlphaMap, Grey, NoAlphaMap, Mipmap };

struct PictureAsset {
    TextureSwitch before;
    const char* file;  // under the data folder, with the program's backslashes
    int width;
    int height;
    int slot;
};

struct GlyphAsset {
    const char* file;
    char character;  // what the 16x16 glyph shows
};

extern const PictureAsset kPictureAssets[];
extern const size_t kPictureAssetCount;
extern const GlyphAsset kGlyphAssets[];
extern const size_t kGlyphAssetCount;

// Bytes per pixel of picture `index` as the texture bank reads it: the
// settings are sticky, so colour (3) until the alpha map is on (4), grey (1)
// from the first grey picture on.
int PictureChannels(size_t index);
