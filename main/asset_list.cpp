// The list of the show's data files (see asset_list.h).
#include "asset_list.h"

const PictureAsset kPictureAssets[] = {
    {TextureSwitch::None, "images\\tausta1.raw", 512, 256, 0},
    {TextureSwitch::None, "images\\dstroy.raw", 256, 32, 4},
    {TextureSwitch::None, "images\\pilvi1.raw", 512, 256, 5},
    {TextureSwitch::None, "images\\pilvi2.raw", 512, 256, 6},
    {TextureSwitch::None, "images\\tausta2.raw", 512, 256, 10},
    {TextureSwitch::None, "images\\tausta3.raw", 512, 256, 14},
    {TextureSwitch::None, "images\\pqn01.raw", 128, 128, 15},
    {TextureSwitch::None, "images\\pqn02.raw", 256, 128, 16},
    {TextureSwitch::None, "images\\pqn03.raw", 256, 128, 17},
    {TextureSwitch::None, "images\\tausta4.raw", 512, 256, 20},
    {TextureSwitch::None, "images\\tausta5.raw", 512, 256, 21},
    {TextureSwitch::None, "images\\ktausta.raw", 32, 32, 26},
    {TextureSwitch::None, "images\\kayra.raw", 512, 32, 27},
    {TextureSwitch::None, "images\\ptausta.raw", 1024, 256, 28},
    {TextureSwitch::None, "images\\env01.raw", 256, 256, 22},
    {TextureSwitch::None, "images\\bitit.raw", 512, 32, 31},
    {TextureSwitch::None, "images\\tausta6.raw", 512, 256, 32},
    {TextureSwitch::None, "images\\tausta7.raw", 512, 256, 33},
    {TextureSwitch::AlphaMap, "images\\robo1.raw", 512, 256, 1},
    {TextureSwitch::None, "images\\req.raw", 256, 256, 2},
    {TextureSwitch::None, "images\\robotqz.raw", 512, 256, 7},
    {TextureSwitch::None, "images\\miralqz.raw", 512, 256, 8},
    {TextureSwitch::None, "images\\robopaa01.raw", 256, 128, 9},
    {TextureSwitch::None, "images\\code.raw", 256, 256, 11},
    {TextureSwitch::None, "images\\gfx.raw", 256, 256, 12},
    {TextureSwitch::None, "images\\music.raw", 256, 256, 13},
    {TextureSwitch::None, "images\\ekarob.raw", 512, 256, 18},
    {TextureSwitch::None, "images\\tokarob.raw", 512, 256, 19},
    {TextureSwitch::None, "images\\recon.raw", 256, 32, 23},
    {TextureSwitch::None, "images\\conne.raw", 256, 128, 24},
    {TextureSwitch::None, "images\\huuto1.raw", 256, 256, 29},
    {TextureSwitch::None, "images\\huuto2.raw", 256, 256, 30},
    {TextureSwitch::Grey, "images\\nonstop.raw", 256, 128, 3},
    {TextureSwitch::None, "images\\nomatch.raw", 256, 128, 25},
    {TextureSwitch::NoAlphaMap, "images\\kolmio.raw", 256, 256, 34},
    {TextureSwitch::None, "images\\ympyra.raw", 256, 256, 35},
    {TextureSwitch::None, "images\\nelio.raw", 256, 256, 36},
    {TextureSwitch::None, "images\\g01.raw", 256, 128, 38},
    {TextureSwitch::None, "images\\g02.raw", 256, 128, 39},
    {TextureSwitch::None, "images\\g03.raw", 256, 128, 40},
    {TextureSwitch::None, "images\\g04.raw", 256, 128, 41},
    {TextureSwitch::None, "images\\g05.raw", 256, 128, 42},
    {TextureSwitch::None, "images\\g06.raw", 256, 128, 43},
    {TextureSwitch::None, "images\\g07.raw", 256, 128, 44},
    {TextureSwitch::None, "images\\g08.raw", 256, 128, 45},
    {TextureSwitch::None, "images\\g09.raw", 256, 128, 46},
    {TextureSwitch::None, "images\\g10.raw", 256, 128, 47},
    {TextureSwitch::None, "images\\g11.raw", 256, 128, 48},
    {TextureSwitch::None, "images\\g12.raw", 256, 128, 49},
    {TextureSwitch::None, "images\\bitit1.raw", 512, 16, 51},
    {TextureSwitch::Mipmap, "images\\rengas.raw", 64, 64, 37},
};
const size_t kPictureAssetCount = sizeof kPictureAssets / sizeof kPictureAssets[0];

const GlyphAsset kGlyphAssets[] = {
    {"images\\m.raw", 'm'},   {"images\\i.raw", 'i'},   {"images\\r.raw", 'r'},   {"images\\a.raw", 'a'},
    {"images\\l.raw", 'l'},   {"images\\q.raw", 'q'},   {"images\\z.raw", 'z'},   {"images\\t.raw", 't'},
    {"images\\p.raw", 'p'},   {"images\\dot.raw", '.'}, {"images\\at.raw", '@'},  {"images\\zero.raw", '0'},
};
const size_t kGlyphAssetCount = sizeof kGlyphAssets / sizeof kGlyphAssets[0];

int PictureChannels(size_t index) {
    bool alphaMap = false, grey = false;
    for (size_t i = 0; i <= index && i < kPictureAssetCount; ++i) {
        TextureSwitch setting = kPictureAssets[i].before;
        if (setting == TextureSwitch::AlphaMap) alphaMap = true;
        if (setting == TextureSwitch::NoAlphaMap) alphaMap = false;
        if (setting == TextureSwitch::Grey) grey = true;
    }
    return grey ? 1 : alphaMap ? 4 : 3;
}
