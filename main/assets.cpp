// The asset manifest: the module and its sync, 52 texture slots filled in
// layout groups, slot names, the glyphs of the cube letters, the meshes.
#include "platform/bass.h"
#include "demo.h"

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

// What switches the texture bank's settings before a picture is loaded.
enum class Switch { None, AlphaMap, Grey, NoAlphaMap, Mipmap };

struct Picture {
    Switch before;
    const char* file;
    int width;
    int height;
    int slot;
};

const Picture kPictures[] = {
    {Switch::None, "images\\tausta1.raw", 512, 256, 0},
    {Switch::None, "images\\dstroy.raw", 256, 32, 4},
    {Switch::None, "images\\pilvi1.raw", 512, 256, 5},
    {Switch::None, "images\\pilvi2.raw", 512, 256, 6},
    {Switch::None, "images\\tausta2.raw", 512, 256, 10},
    {Switch::None, "images\\tausta3.raw", 512, 256, 14},
    {Switch::None, "images\\pqn01.raw", 128, 128, 15},
    {Switch::None, "images\\pqn02.raw", 256, 128, 16},
    {Switch::None, "images\\pqn03.raw", 256, 128, 17},
    {Switch::None, "images\\tausta4.raw", 512, 256, 20},
    {Switch::None, "images\\tausta5.raw", 512, 256, 21},
    {Switch::None, "images\\ktausta.raw", 32, 32, 26},
    {Switch::None, "images\\kayra.raw", 512, 32, 27},
    {Switch::None, "images\\ptausta.raw", 1024, 256, 28},
    {Switch::None, "images\\env01.raw", 256, 256, 22},
    {Switch::None, "images\\bitit.raw", 512, 32, 31},
    {Switch::None, "images\\tausta6.raw", 512, 256, 32},
    {Switch::None, "images\\tausta7.raw", 512, 256, 33},
    {Switch::AlphaMap, "images\\robo1.raw", 512, 256, 1},
    {Switch::None, "images\\req.raw", 256, 256, 2},
    {Switch::None, "images\\robotqz.raw", 512, 256, 7},
    {Switch::None, "images\\miralqz.raw", 512, 256, 8},
    {Switch::None, "images\\robopaa01.raw", 256, 128, 9},
    {Switch::None, "images\\code.raw", 256, 256, 11},
    {Switch::None, "images\\gfx.raw", 256, 256, 12},
    {Switch::None, "images\\music.raw", 256, 256, 13},
    {Switch::None, "images\\ekarob.raw", 512, 256, 18},
    {Switch::None, "images\\tokarob.raw", 512, 256, 19},
    {Switch::None, "images\\recon.raw", 256, 32, 23},
    {Switch::None, "images\\conne.raw", 256, 128, 24},
    {Switch::None, "images\\huuto1.raw", 256, 256, 29},
    {Switch::None, "images\\huuto2.raw", 256, 256, 30},
    {Switch::Grey, "images\\nonstop.raw", 256, 128, 3},
    {Switch::None, "images\\nomatch.raw", 256, 128, 25},
    {Switch::NoAlphaMap, "images\\kolmio.raw", 256, 256, 34},
    {Switch::None, "images\\ympyra.raw", 256, 256, 35},
    {Switch::None, "images\\nelio.raw", 256, 256, 36},
    {Switch::None, "images\\g01.raw", 256, 128, 38},
    {Switch::None, "images\\g02.raw", 256, 128, 39},
    {Switch::None, "images\\g03.raw", 256, 128, 40},
    {Switch::None, "images\\g04.raw", 256, 128, 41},
    {Switch::None, "images\\g05.raw", 256, 128, 42},
    {Switch::None, "images\\g06.raw", 256, 128, 43},
    {Switch::None, "images\\g07.raw", 256, 128, 44},
    {Switch::None, "images\\g08.raw", 256, 128, 45},
    {Switch::None, "images\\g09.raw", 256, 128, 46},
    {Switch::None, "images\\g10.raw", 256, 128, 47},
    {Switch::None, "images\\g11.raw", 256, 128, 48},
    {Switch::None, "images\\g12.raw", 256, 128, 49},
    {Switch::None, "images\\bitit1.raw", 512, 16, 51},
    {Switch::Mipmap, "images\\rengas.raw", 64, 64, 37},
};

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

struct Glyph {
    unsigned char** global;
    const char* file;
};

const Glyph kGlyphs[] = {
    {&g_glyphM, "images\\m.raw"},     {&g_glyphI, "images\\i.raw"},     {&g_glyphR, "images\\r.raw"},
    {&g_glyphA, "images\\a.raw"},     {&g_glyphL, "images\\l.raw"},     {&g_glyphQ, "images\\q.raw"},
    {&g_glyphZ, "images\\z.raw"},     {&g_glyphT, "images\\t.raw"},     {&g_glyphP, "images\\p.raw"},
    {&g_glyphDot, "images\\dot.raw"}, {&g_glyphAt, "images\\at.raw"},   {&g_glyphZero, "images\\zero.raw"},
};

void ApplySwitch(Kestrel3D* engine, Switch setting) {
    switch (setting) {
        case Switch::AlphaMap: engine->useAlphaMap(); break;
        case Switch::Grey: engine->GSTexture(); break;
        case Switch::NoAlphaMap: engine->noAlphaMap(); break;
        case Switch::Mipmap: engine->TextureMipmap(); break;
        case Switch::None: break;
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
    for (const Picture& picture : kPictures) {
        ApplySwitch(engine, picture.before);
        engine->loadTexture(picture.file, picture.width, picture.height, picture.slot);
    }
    for (const SlotName& entry : kSlotNames) engine->addTextureName(entry.name, entry.slot);
    for (const Glyph& glyph : kGlyphs) {
        delete[] *glyph.global;  // only a second loading has one to replace
        *glyph.global = engine->LoadGlyphImage(glyph.file, 256);
    }
    engine->readListFile();
    return engine->loadObjects();
}
