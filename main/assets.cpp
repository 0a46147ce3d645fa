// The asset manifest: the module and its sync, 52 texture slots filled from
// the list of pictures (asset_list.cpp), slot names, the glyphs of the cube
// letters, the meshes; and each of them loaded again while the show runs.
#include <cstdio>
#include <string>
#include <vector>

#include "asset_list.h"
#include "demo.h"
#include "platform/bass.h"
#include "platform/data_file.h"
#include "platform/paths.h"

const char* const kModuleFile = "biisi.xm";
const char* const kMeshFile = "objects\\objects.r3d";
const char* const kMeshListFile = "objects\\r3d.log";

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
    engine->setObjectListFile(kMeshListFile);
    engine->set3DDataFile(kMeshFile);
    engine->ow->LoadMusic(kModuleFile);
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

namespace {

// A data file's bytes, or false (nothing read) when it cannot be opened.
bool ReadData(const char* file, std::vector<uint8_t>* bytes) {
    return platform::ReadRegularFile(platform::ResolveDataPath(file), bytes);
}

// A file that is too short now: said, and the one loaded before stays.
bool WholeOrSaid(const char* file, const std::vector<uint8_t>& bytes, size_t needed, bool opened) {
    char message[300];
    if (!opened) std::snprintf(message, sizeof message, "Can't open %s: the one loaded before stays", file);
    else if (bytes.size() < needed)
        std::snprintf(message, sizeof message, "%s is %zu bytes, %zu needed: the one loaded before stays", file,
                      bytes.size(), needed);
    else return true;
    g_engine->ow->WNDError(message);
    return false;
}

}  // namespace

bool ReloadPicture(size_t index) {
    const PictureAsset& picture = kPictureAssets[index];
    std::vector<uint8_t> bytes;
    bool opened = ReadData(picture.file, &bytes);
    size_t needed = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) *
                    static_cast<size_t>(PictureChannels(index));
    if (!WholeOrSaid(picture.file, bytes, needed, opened)) return false;
    // The texture bank's settings as they stood when the picture was loaded, then as they are.
    Kestrel3D::Settings now = g_engine->CurrentSettings();
    for (size_t i = 0; i <= index; ++i) ApplySwitch(g_engine, kPictureAssets[i].before);
    g_engine->loadTexture(picture.file, picture.width, picture.height, picture.slot);
    g_engine->RestoreSettings(now);
    return true;
}

bool ReloadGlyph(size_t index) {
    std::vector<uint8_t> bytes;
    bool opened = ReadData(kGlyphAssets[index].file, &bytes);
    if (!WholeOrSaid(kGlyphAssets[index].file, bytes, 256, opened)) return false;
    unsigned char*& glyph = *kGlyphBuffers[index];
    if (!glyph) glyph = new unsigned char[256];
    std::copy(bytes.begin(), bytes.begin() + 256, glyph);
    return true;
}

bool ReloadMeshes() {
    std::string problem;
    if (g_engine->ReloadObjectList(&problem)) return true;
    g_engine->ow->WNDError((problem + ": the meshes loaded before stay").c_str());
    return false;
}

bool ReloadModule() {
    if (platform::ReloadMusic(g_engine->ow->GetMusicChannel(), kModuleFile)) return true;
    g_engine->ow->WNDError("The module biisi.xm does not load: the one loaded before stays");
    return false;
}
