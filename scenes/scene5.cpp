// Scene 5, cube letters (orders 13 to 17): a 16 x 16 grid of lit cubes flies
// in and morphs glyph by glyph through the sign-off, over a scrolling long
// background and the fan; it recedes as the next background fades in. Its
// position line carries the milliseconds since the scene began.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "../main/demo.h"
#include "CubeGrid.h"
#include "Fan.h"
#include "FrameLoop.h"
#include "Scenes.h"
#include "TickTimer.h"

namespace {

const unsigned char kBlankGlyph[256] = {};
GridCell g_cells[256];

// The glyph that switch number `step` (1 to 14) morphs towards; a glyph that
// did not load counts as blank.
const unsigned char* SignOffGlyph(int step) {
    unsigned char* const glyphs[] = {g_glyphM,   g_glyphI, g_glyphR,  g_glyphA, g_glyphL, g_glyphQ,    g_glyphDot,
                                     g_glyphZ,   g_glyphDot, g_glyphAt, g_glyphT, g_glyphP, g_glyphZero, g_glyphAt};
    const unsigned char* glyph = glyphs[step - 1];
    return glyph ? glyph : kBlankGlyph;
}

}  // namespace

void MorphToward(unsigned char* dst, const unsigned char* src, int amount) {
    for (int k = 0; k < 256; ++k) {
        int difference = src[k] - dst[k];
        int product = difference * amount;
        int step = product >= 0 ? product / 256 : -((-product + 255) / 256);  // floor of product / 256
        int value = dst[k] + step;
        dst[k] = static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value);
    }
}

void CubeLettersTick(CubeLetters& s, MusicPosition p) {
    uint32_t O = p.order, R = p.row;
    s.frameOrder = O;
    g_fanAngle += 0.02f;
    if (O == 13 && s.fanAlpha > 0) s.fanAlpha -= 0.00008f;
    if (O == 14) {
        if (R < 32 && s.fanAlpha < 0.4f) s.fanAlpha += 0.00006f;
        if (R >= 32 && s.fanAlpha > 0) s.fanAlpha -= 0.00006f;
    }
    if (O >= 16) {
        s.gridZ -= 0.002f;
        if (R > 48) {
            if (s.longFade > 0) s.longFade -= 0.0006f;
            if (s.endFade < 1) s.endFade += 0.0006f;
        }
    }
    s.wobble3 += 0.0006f;
    s.wobble2 += 0.0004f;
    s.wobble1 += 0.0008f;
    if (O < 14 && s.gridZ < -2.5f) s.gridZ += 0.009f;
    if (O >= 14) {
        if (s.glyphStep < 18) s.morph += 0.0003f;
        if (s.glyphStep == 18) s.morph += 0.00005f;
    }
    if (s.longX > -640) s.longX -= 0.0238f;
}

// The two one-shot rewrites of the at-sign glyph: solid at switch 13, blank at 18.
void CubeLettersRewriteAtSign(CubeLetters& s) {
    if (s.glyphStep == 13 && !s.atFilled) {
        if (g_glyphAt) std::memset(g_glyphAt, 255, 256);
        s.atFilled = true;
    }
    if (s.glyphStep == 18 && !s.atCleared) {
        if (g_glyphAt) std::memset(g_glyphAt, 0, 256);
        s.atCleared = true;
    }
}

void CubeLettersSwitchGlyph(CubeLetters& s) {
    if (s.morph < 0.3f) return;
    s.morph = 0;
    s.glyphStep += 1;
    if (s.glyphStep >= 1 && s.glyphStep <= 14) s.target = SignOffGlyph(s.glyphStep);
}

static void DrawGrid(CubeLetters& s) {
    Kestrel3D* e = g_engine;
    e->setFOV();
    e->EnableFeatures(kDepthTest | kCullFace | kLighting);
    e->Blend(3);
    glClear(GL_DEPTH_BUFFER_BIT);
    e->edTexture(false);
    e->SetFade(1);
    double w2 = s.wobble2, w3 = s.wobble3;
    e->light.SetPosition(static_cast<float>(1.2 * std::sin(w2)), 0, static_cast<float>(1.2 * std::cos(w2) - 1.6), GL_LIGHT0);
    e->light.SetPosition(0, static_cast<float>(2.4 * std::cos(w3 + 3.14)), static_cast<float>(2.2 * std::sin(w3 + 3.14) - 1.6),
                         GL_LIGHT1);
    if (s.morph > 1) s.morph = 1;
    if (s.target) MorphToward(s.shape, s.target, static_cast<int>(255 * s.morph));
    for (int i = 0; i < 16; ++i) {
        for (int j = 0; j < 16; ++j) {
            float v = s.shape[16 * i + j] / 255.0f;
            if (v < 0.1f) continue;
            glLoadIdentity();
            glTranslatef(0, 0, s.gridZ);
            glRotatef(12 * std::sin(s.wobble1), 0, 0, 1);
            glRotatef(25 * std::cos(s.wobble2), 0, 1, 0);
            glRotatef(25 * std::sin(s.wobble3), 1, 0, 0);
            glTranslatef(g_cells[16 * i + j].x, g_cells[16 * i + j].y, 0);
            glScalef(v, v, v);
            e->drawObject("cuube");
        }
    }
    CubeLettersSwitchGlyph(s);
}

static void Draw(CubeLetters& s, MusicPosition p) {
    Kestrel3D* e = g_engine;
    CubeLettersRewriteAtSign(s);
    e->set2D();
    e->fill(0, 0, 0);
    if (s.longFade != 0) {
        e->SetFade(s.longFade);
        e->Blend(2);
        e->sprite(static_cast<int>(s.longX), 0, 1280, 256, "pitka_tausta");
    }
    if (s.endFade != 0) {
        e->SetFade(s.endFade);
        e->Blend(2);
        e->Image("tausta06");
    }
    if (s.fanAlpha != 0) DrawFan(s.fanAlpha);
    if (p.order < 17) DrawGrid(s);
    e->DisableFeatures(kDepthTest | kCullFace | kLighting);
    e->edTexture(true);
    e->set2D();
}

static void PositionLine(CubeLetters& s, char* text, int size, uint32_t order, uint32_t row) {
    if (s.frameOrder < 16) s.counter = GetTickCount() - s.startTicks;
    std::snprintf(text, static_cast<size_t>(size), "order: %d, row: %d, counter: %d", static_cast<int>(order),
                  static_cast<int>(row), static_cast<int>(s.counter));
}

SceneEnd Scene5() {
    CubeLetters s;
    Lighting& light = g_engine->light;
    Lighting::EnableCap(GL_LIGHT0);
    Lighting::EnableCap(GL_LIGHT1);
    light.SetAmbient(0.8f, 0.5f, 0.4f, GL_LIGHT0);
    light.SetAmbient(0.8f, 0.5f, 0.4f, GL_LIGHT1);
    light.SetDiffuse(1, 1, 1, GL_LIGHT0);
    light.SetDiffuse(0.1f, 0.2f, 0.9f, GL_LIGHT1);
    light.SetSpecular(1, 1, 1, GL_LIGHT0);
    light.SetSpecular(1, 0.2f, 0.1f, GL_LIGHT1);
    light.SetShininess(160);
    light.SetMaterial(0.8f, 0.05f, 0.4f, GL_SPECULAR);
    light.SetMaterial(0.8f, 0.05f, 0.4f, GL_DIFFUSE);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    g_engine->setFOV(95);

    BuildGrid(g_cells);
    std::memset(s.shape, 255, 256);
    g_tickTimer.Reset();
    s.startTicks = GetTickCount();
    return RunScene<CubeLetters, CubeLettersTick, Draw, PositionLine>(5, s);
}
