// The asset manifest: the module and its sync, 52 texture slots filled from
// the list of pictures (asset_list.cpp), slot names, the glyphs of the cube
// letters, the meshes.
#include "asset_list.h"
#include "demo.h"
#include "platform/bass.h"

unsigned char* g_glyphM = nullptr;
unsigned char* g_glyphI = nullptr;
unsigned char* g_glyphR = nullptr;
unsigned char* g_glyphA = nullptr;
unsigned char* g_glyphL = nullptr;
unsigned char* g_glyphQ = nullptr;
unsigned char* g_glyphZ = nullptr;
unsigned char* g_glyphT = nullptr;
unsigned char* g_glyphP = nullptr;
unsigned char* g_glyphDot = nullptr;
unsigned char* g_glyphAt = nullptr;
unsigned char* g_glyphZero = nullptr;

namespace {

struct SlotName {
    const char* name;
    int slot;
};

const SlotName kSlotNames[] = {
    {"tausta01", 0},     {"tausta02", 14},          {"tausta03", 20},       {"tausta04", 21},
    {"tausta05", 10},    {"tausta06", 32},          {"tausta07", 33},       {"pitka_tausta", 28},
    {"robo01", 1},       {"requested", 2},          {"non-stop", 3},        {"destroy", 4},
    {"pilvi1", 5},       {"pilvi2", 6},             {"robot-qz", 7},        {"miral-qz", 8},
    {"robo_paa01", 9},   {"koodari", 11},           {"graafikko", 12},      {"muusikko", 13},
    {"pqn_eka", 15},     {"pqn_toka", 16},          {"pqn_kolmas", 17},     {"robo_kadellinen", 18},
    {"robo_kadeton", 19}, {"rekonnekting", 23},     {"connecting", 24},     {"nomatch", 25},
    {"kayra_tausta", 26}, {"kayra", 27},            {"huuto1", 29},         {"huuto2", 30},
    {"bitit", 31},       {"kolmio", 34},            {"ympyra", 35},         {"nelio", 36},
    {"rengas", 37},      {"bitit1", 51},            {"env01", 22},
};

// The buffer each glyph of the list is loaded into, in its order.
unsigned char** const kGlyphBuffers[] = {&g_glyphM, &g_glyphI, &g_glyphR,   &g_glyphA,  &g_glyphL,  &g_glyphQ,
                                         &g_glyphZ, &g_glyphT, &g_glyphP, &g_glyphDot, &g_glyphAt, &g_glyphZero};
static_assert(sizeof kGlyphBuffers / sizeof kGlyphBuffers[0] == 12, "one buffer per glyph");

void ApplySwitch(Kestrel3D* engine, TextureSwitch setting) {
    switch (setting) {
        case TextureSwitch::AlphaMap: engine->useAlphaMap(); break;
        case TextureSwitch::Grey: engine->GSTexture(); break;
        case TextureSwitch::NoAlphaMap: engine->noAlphaMap(); break;
        case TextureSwitch::Mipmap: engine->TextureMipmap(); break;
        case TextureSwitch::None: break;
    }
}

}  // namespace

bool LoadAssets() {
    Kestrel3D* engine = g_engine;
    engine->setObjectListFile("objects\\r3d.log");
    engine->set3DDataFile("objects\\objects.r3d");
    engine->ow->LoadMusic("biisi.xm");
    for (auto& flag : g_syncFlags) flag.store(0, std::memory_order_relaxed);
    BASS_ChannelSetSync(engine->ow->GetMusicChannel(), BASS_SYNC_MUSICFX, 1, MusicSyncProc, 0);
    engine->InitTextures(52);
    engine->InitObjects(0);
    for (size_t i = 0; i < kPictureAssetCount; ++i) {
        const PictureAsset& picture = kPictureAssets[i];
        ApplySwitch(engine, picture.before);
        engine->loadTexture(picture.file, picture.width, picture.height, picture.slot);
    }
    for (const SlotName& entry : kSlotNames) engine->addTextureName(entry.name, entry.slot);
    for (size_t i = 0; i < kGlyphAssetCount; ++i) {
        delete[] *kGlyphBuffers[i];  // only a second loading has one to replace
        *kGlyphBuffers[i] = engine->LoadGlyphImage(kGlyphAssets[i].file, 256);
    }
    engine->readListFile();
    return engine->loadObjects();
}
